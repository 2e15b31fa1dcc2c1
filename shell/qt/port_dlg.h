// SPDX-License-Identifier: GPL-3.0-or-later
// CPortDlg (template 130): the COM port of the cable. Beside each COM port stands the device it
// means on this machine and, for a USB adapter, what the adapter calls itself; a port that
// cannot be used now is disabled and says why in its tool tip. Nothing is opened to find out
// (an open raises DTR and RTS, and that resets some boards). A cable plugged in or pulled
// while the dialog is open shows at once. A device no COM button reaches (a /dev/ttyACM0) can
// be chosen too: OK names it in [ports] and chooses its port. OK keeps the choice in [setup]
// "com" and shows it in the status bar.
#pragma once

#include <array>

#include "link/serial_devices.h"
#include "platform/dialogs/cdialog.h"
#include "resources/control_ids.h"

class QComboBox;
class QFileSystemWatcher;
class QLabel;

namespace rondel {

class CRondelApp;

// COMn's button is IDC_COM1 - 1 + n.
inline constexpr int kPortButtonCount = 8;

class CPortDlg : public CDialog {
  Q_OBJECT
 public:
  CPortDlg(CRondelApp& app, QWidget* parent);
  bool OnInitDialog() override;

  // The device beside COM n's button (1..8).
  QLabel* DeviceLabel(int n) const;
  // The devices no COM button reaches; entry 0 is "none".
  QComboBox* OtherDevices() const { return m_other; }
  // Looks at the devices again: what the folders' watcher does on every change.
  void Refresh();

 protected:
  void OnOK() override;

 private:
  void OnSearchClicked(bool checked);
  void OnOtherChosen(int index);
  void LayOut();
  void Watch();
  // The COM port an other device gets: one whose device is absent and not named in [ports].
  int FreePortFor() const;

  CRondelApp& m_app;
  SystemRoots m_roots;
  std::array<QLabel*, kPortButtonCount> m_labels{};
  QLabel* m_otherLabel = nullptr;
  QComboBox* m_other = nullptr;
  QFileSystemWatcher* m_watcher = nullptr;
};

}  // namespace rondel
