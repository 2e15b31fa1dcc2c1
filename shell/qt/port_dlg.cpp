// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/port_dlg.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>
#include <string>
#include <vector>

#include "link/link_settings.h"
#include "link/port_message.h"
#include "shell/language.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string LangText(std::string_view key) { return GetLangString(key); }

// Rows of the port list, in dialog units.
constexpr int kRowTop = 23;
constexpr int kRowStep = 14;
constexpr int kLabelLeft = 60;

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

CPortDlg::CPortDlg(CRondelApp& app, QWidget* parent)
    : CDialog(IDD_PORT, parent), m_app(app), m_roots(app.m_deviceRoots) {
  if (auto* search = Item<QAbstractButton>(IDC_SEARCH_PORT))
    connect(search, &QAbstractButton::clicked, this, &CPortDlg::OnSearchClicked);
  for (int n = 1; n <= kPortButtonCount; ++n) {
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("portDevice%1").arg(n));
    label->setTextFormat(Qt::PlainText);
    m_labels[static_cast<std::size_t>(n - 1)] = label;
    // Choosing a COM button is no longer choosing the other device.
    if (auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n))
      connect(button, &QAbstractButton::toggled, this, [this](bool on) {
        if (on && m_other) m_other->setCurrentIndex(0);
      });
  }
  m_otherLabel = new QLabel(this);
  m_otherLabel->setObjectName(QStringLiteral("otherDeviceLabel"));
  m_other = new QComboBox(this);
  m_other->setObjectName(QStringLiteral("otherDevice"));
  connect(m_other, &QComboBox::activated, this, &CPortDlg::OnOtherChosen);
  m_watcher = new QFileSystemWatcher(this);
  connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Refresh(); });
}

QLabel* CPortDlg::DeviceLabel(int n) const {
  return n >= 1 && n <= kPortButtonCount ? m_labels[static_cast<std::size_t>(n - 1)] : nullptr;
}

bool CPortDlg::OnInitDialog() {
  TranslateDialog(this, TemplateNumber());
  m_otherLabel->setText(Q(GetLangString("IDS_PORT_OTHERDEVICE")));
  m_other->setToolTip(Q(GetLangString("IDS_PORT_OTHERDEVICE_TIP")));
  const int configured = m_app.Settings().Com();
  // A port the test mode left open would be in use: the dialog's choice starts afresh.
  m_app.m_serialPort.Close();
  for (int n = 1; n <= kPortButtonCount; ++n) {
    auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n);
    // A configured port that cannot be used now stays selected all the same.
    if (button != nullptr && n == configured) button->setChecked(true);
  }
  Refresh();
  // A configured port beyond the buttons is one an other device was given.
  if (configured > kPortButtonCount) {
    const QString device = Q(m_app.Settings().PortDevice(configured));
    if (const int at = m_other->findData(device); at > 0) OnOtherChosen(at);
  }
  if (auto* search = Item<QAbstractButton>(IDC_SEARCH_PORT))
    search->setChecked(m_app.Settings().SearchComValue() != 0);
  return true;
}

void CPortDlg::Refresh() {
  const PortSystem system{m_roots};
  std::vector<std::string> reached;  // kernel names of the devices the buttons stand for
  for (int n = 1; n <= kPortButtonCount; ++n) {
    const std::string device = m_app.m_serialPort.PortDevice(n);
    const SerialDevice d = DescribeSerialDevice(device, m_roots);
    if (!d.name.empty()) reached.push_back(d.name);
    const std::optional<std::string> why = PortUnusableText(device, system, LangText);
    const QString tip = Q(why ? *why : rondel::DeviceLabel(d));
    QLabel* label = DeviceLabel(n);
    label->setText(Q(rondel::DeviceLabel(d)));
    label->setToolTip(tip);
    label->setEnabled(!why);
    if (auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n)) {
      button->setEnabled(!why);
      button->setToolTip(tip);
    }
  }
  const QVariant kept = m_other->currentData();
  m_other->clear();
  m_other->addItem(Q(GetLangString("IDS_PORT_NOOTHERDEVICE")));
  for (const SerialDevice& d : ListSerialDevices(m_roots)) {
    if (std::find(reached.begin(), reached.end(), d.name) != reached.end()) continue;
    m_other->addItem(Q(rondel::DeviceLabel(d)), Q(d.path));
  }
  m_other->setCurrentIndex(kept.isValid() ? std::max(0, m_other->findData(kept)) : 0);
  m_other->setEnabled(m_other->count() > 1);
  Watch();
  LayOut();
}

void CPortDlg::Watch() {
  std::vector<std::string> folders = {m_roots.dev, m_roots.dev + "/serial", m_roots.dev + "/serial/by-id"};
  for (int n = 1; n <= kPortButtonCount; ++n) folders.push_back(Folder(m_app.m_serialPort.PortDevice(n)));
  const QStringList watched = m_watcher->directories();
  for (const std::string& folder : folders) {
    const QString path = Q(folder);
    if (!watched.contains(path) && QDir(path).exists()) m_watcher->addPath(path);
  }
}

void CPortDlg::LayOut() {
  const DialogBaseUnits units = BaseUnitsOf(font());
  if (units.x <= 0 || units.y <= 0) return;
  const auto place = [&](QWidget* w, int x, int y, int width, int height) {
    if (w) w->setGeometry(MapDialogRect(QRect(x, y, width, height), units));
  };
  int widest = 60;  // dialog units
  for (QLabel* label : m_labels) {
    const int du = (label->fontMetrics().horizontalAdvance(label->text()) * 4 + units.x - 1) / units.x;
    widest = std::max(widest, du + 4);
  }
  widest = std::min(widest, 320);
  const int groupWidth = kLabelLeft - 7 + widest + 6;
  const int groupBottom = kRowTop + kRowStep * kPortButtonCount;
  place(GetDlgItem(IDC_PORT_GROUP), 7, 11, groupWidth, groupBottom - 11);
  for (int n = 1; n <= kPortButtonCount; ++n) {
    const int y = kRowTop + kRowStep * (n - 1);
    place(GetDlgItem(IDC_COM1 - 1 + n), 15, y, 40, 10);
    place(DeviceLabel(n), kLabelLeft, y, widest, 10);
  }
  const int otherTop = groupBottom + 6;
  place(m_otherLabel, 7, otherTop + 2, kLabelLeft - 9, 10);
  place(m_other, kLabelLeft, otherTop, groupWidth - kLabelLeft + 7, 14);
  const int buttonsTop = otherTop + 22;
  place(GetDlgItem(IDOK), 21, buttonsTop, 40, 15);
  place(GetDlgItem(IDC_SEARCH_PORT), 21, buttonsTop + 2, 38, 10);  // under OK, as ever
  place(GetDlgItem(IDCANCEL), 79, buttonsTop, 40, 15);
  const QRect all = MapDialogRect(QRect(0, 0, std::max(137, groupWidth + 14), buttonsTop + 22), units);
  setFixedSize(all.size());
}

void CPortDlg::OnOtherChosen(int index) {
  m_other->setCurrentIndex(index);
  if (index <= 0) return;
  // The other device is the choice: no COM button stays selected.
  for (int n = 1; n <= kPortButtonCount; ++n) {
    if (auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n)) {
      button->setAutoExclusive(false);
      button->setChecked(false);
      button->setAutoExclusive(true);
    }
  }
}

int CPortDlg::FreePortFor() const {
  for (int n = kFirstComPort; n <= kLastComPort; ++n)
    if (!m_app.Settings().PortNamed(n) && CheckDeviceAccess(DefaultPortDevice(n)) == DeviceAccess::Missing)
      return n;
  return 0;
}

void CPortDlg::OnSearchClicked(bool checked) {
  // Written at once: OK or Cancel do not matter for this key.
  m_app.Settings().WriteSearchCom(checked);
}

void CPortDlg::OnOK() {
  int chosen = 0;
  if (m_other->currentIndex() > 0) {
    // Written into the settings file in use, which is the user's own copy on an installed
    // system; a file that cannot be written keeps the old choice.
    const std::string device = m_other->currentData().toString().toStdString();
    const int n = FreePortFor();
    if (n > 0 && m_app.Settings().WritePortDevice(n, device)) chosen = n;
  }
  for (int n = 1; n <= kPortButtonCount && chosen == 0; ++n) {
    auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n);
    if (button != nullptr && button->isChecked()) chosen = n;
  }
  if (chosen != 0 && m_app.Settings().Com() != chosen) {
    m_app.m_serialPort.Close();
    m_app.Settings().WriteCom(chosen);
  }
  // Read back: a settings file that could not be written shows the old port again.
  if (CMainFrame* frame = m_app.MainFrame()) frame->SetPortPane(m_app.Settings().Com());
  EndDialog(IDOK);
}

}  // namespace rondel
