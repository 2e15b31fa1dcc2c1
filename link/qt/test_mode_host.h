// SPDX-License-Identifier: GPL-3.0-or-later
// What the test-mode dialogs need from the program above the link: texts, translation, and
// the active document, whose image the test mode reads into, edits and writes from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/test_mode.h"

class QWidget;

namespace rondel {

class CRondelDoc;

class TestModeHost {
 public:
  virtual ~TestModeHost() = default;
  // The text of a "String" key of the current language file.
  virtual std::string Text(std::string_view key) = 0;
  // The "Resource" texts of dialog `number` on `dialog`.
  virtual void TranslateDialog(QWidget* dialog, int number) = 0;
  // The active document of the main window, to look at; every change goes through the calls
  // below, each of them a step the user can undo.
  virtual const CRondelDoc& Doc() = 0;
  // Before the entry read: a modified document it would replace is offered for saving first.
  // False (Cancel, or a save that failed): nothing is sent to the radio.
  virtual bool MayReplaceDocument() = 0;
  // What the radio sent replaces the image, and the form shows it.
  virtual void ReplaceImage(const RadioImage& image) = 0;
  // The entry read came back whole: what the radio held is kept as a backup before any
  // calibration changes it. A backup that fails is said, and the test mode goes on.
  virtual void BackUpRadioImage(const RadioImage& image) = 0;
  // A committed calibration value of slider `index`.
  virtual void CommitCalibration(int index, std::uint8_t value) = 0;
  // The document's recompute and refresh: band limits from its image, every view updated.
  virtual void RecomputeAndRefresh() = 0;
  // After an exchange that found no radio: why no port opened at all, if none did.
  virtual std::optional<std::string> NoPortOpenedText() { return std::nullopt; }
};

// The message box of an exchange's result, if it has one.
void ShowTestModeMessage(TestModeHost& host, TestModeResult result, bool writeAll);

}  // namespace rondel
