// SPDX-License-Identifier: GPL-3.0-or-later
// The shell tests' rig: settings and language files of the test's own (no shipped text), a
// document on model 0, channels written byte by byte, the process-wide paths put back after.
#pragma once

#include <gtest/gtest.h>
#include <array>
#include <cstdint>
#include <string>
#include "core/rondel_doc.h"
#include "shell/app_paths.h"
#include "shell/settings.h"
#include "support/temp_dir.h"

namespace rondel::test {
using B4 = std::array<std::uint8_t, 4>;
using B2 = std::array<std::uint8_t, 2>;
inline constexpr B4 kNoFreq{0xFF, 0xFF, 0xFF, 0xFF}, k446_00625{0x25, 0x06, 0x60, 0x44}, k446_00300{0x00, 0x03, 0x60, 0x44},
    k446_00500{0x00, 0x05, 0x60, 0x44}, k446_10000{0x00, 0x00, 0x61, 0x44},
    k451_00625{0x25, 0x06, 0x10, 0x45}, k400{0x00, 0x00, 0x00, 0x40}, k470{0x00, 0x00, 0x00, 0x47},
    k480{0x00, 0x00, 0x00, 0x48};
inline constexpr B2 kOff{0xFF, 0xFF}, k67_0{0x70, 0x06}, k88_5{0x85, 0x08}, k88_6{0x86, 0x08}, k100_0{0x00, 0x10},
    kD023N{0x23, 0x80}, kD023I{0x23, 0xC0}, kD754N{0x54, 0x87}, kD754I{0x54, 0xC7},
    kD777I{0x77, 0xC7};

struct Ch {
  B4 rx = kNoFreq, tx = kNoFreq;
  B2 rxTone = kOff, txTone = kOff;
  std::uint8_t flags = 0xEB;
  bool operator==(const Ch&) const = default;
};
inline void Put(CRondelDoc& doc, int n, const Ch& c) {
  auto* r = doc.image().data() + 0x10 * n;
  for (int i = 0; i < 4; ++i) r[i] = c.rx[i], r[4 + i] = c.tx[i];
  r[8] = c.rxTone[0], r[9] = c.rxTone[1], r[10] = c.txTone[0], r[11] = c.txTone[1], r[12] = c.flags;
}
inline Ch Get(const CRondelDoc& doc, int n) {
  const auto* r = doc.image().data() + 0x10 * n;
  return {{r[0], r[1], r[2], r[3]}, {r[4], r[5], r[6], r[7]}, {r[8], r[9]}, {r[10], r[11]}, r[12]};
}

inline constexpr const char* kRigLanguage =
    "[String]\nIDS_OFF=Aus\nIDS_YES=Ja\nIDS_NO=Nein\nIDS_WIDE=Breit\nIDS_NARROW=Schmal\nIDS_HIGH=Hoch\nIDS_LOW=Niedrig\n"
    "IDS_CONFIRM=Sicher?\nIDS_CONFIRM_FREQ=Alles weg?\nIDS_CSV_AT=Zeile %1, Spalte %2:\nIDS_CSV_ATLINE=Zeile %1:\n"
    "IDS_CSV_BADCHANNEL=kein Kanal von 1 bis %1:\nIDS_CSV_NOHEADER=keine Kopfzeile.\n[VoiceAnnunciation]\n0=Stumm\n"
    "1=Deutsch\n2=Englisch\n[PttId]\n0=Keine\n1=Anfang\n2=Ende\n3=Beides\n[MonitorKey]\n0=T0\n1=T1\n2=T2\n3=T3\n"
    "4=T4\n5=T5\n6=T6\n[ScanMode]\n0=Zeit\n1=Traeger\n";
// Ten rows; model 0 is 400-470 MHz, model 1 136-174 MHz; model 2 has a band but no name.
inline constexpr const char* kRigSettings =
    "[setup]\nchannel=10\n[ModelInfo]\ndata0=00400047\nFreq0=UHF\ndata1=60134017\nFreq1=VHF\ndata2=00430044\n";

class ShellRig : public testing::Test {
 protected:
  ShellRig() : m_saved{g_strExeDir, g_strIniPath, g_strLangPath} {
    SetAppPaths(dir.path(), ini, dir.Write("rig.lang", kRigLanguage));
    doc.Blank();
    doc.SelectModel(0, settings);
  }
  ~ShellRig() override { SetAppPaths(m_saved[0], m_saved[1], m_saved[2]); }
  // Each text its own file, so no parse of an earlier one of the same size is reused.
  void UseLanguage(const std::string& text) { g_strLangPath = dir.Write(std::to_string(++m_files).append(".lang"), text); }
  TempDir dir;
  std::string ini = dir.Write("setting.ini", kRigSettings);
  CSettings settings{ini};
  CRondelDoc doc;
 private:
  std::array<std::string, 3> m_saved;
  int m_files = 0;
};
}  // namespace rondel::test
