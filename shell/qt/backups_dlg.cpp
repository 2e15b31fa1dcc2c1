// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/backups_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "shell/language.h"

namespace rondel {
namespace {

QString Text(const char* key) { return QString::fromStdString(GetLangString(key)); }

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

CBackupsDlg::CBackupsDlg(std::vector<BackupEntry> backups, QWidget* parent)
    : QDialog(parent), m_backups(std::move(backups)) {
  setObjectName(QStringLiteral("backupsDialog"));
  setWindowTitle(Text("IDS_BACKUPS_TITLE"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(Text("IDS_BACKUPS_INTRO"), this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* buttons = new QDialogButtonBox(this);
  m_open = buttons->addButton(Text("IDS_BACKUPS_OPEN"), QDialogButtonBox::AcceptRole);
  m_close = buttons->addButton(Text("IDS_BACKUPS_CLOSE"), QDialogButtonBox::RejectRole);
  m_open->setObjectName(QStringLiteral("openButton"));
  m_close->setObjectName(QStringLiteral("closeButton"));
  m_open->setEnabled(false);
  // Open acts only through OnOpen: the button box's accept would end the dialog without a
  // choice.
  disconnect(buttons, &QDialogButtonBox::accepted, nullptr, nullptr);
  connect(m_open, &QPushButton::clicked, this, [this] { OnOpen(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  if (m_backups.empty()) {
    m_none = new QLabel(Text("IDS_BACKUPS_NONE"), this);
    m_none->setObjectName(QStringLiteral("noBackupsLine"));
    layout->addWidget(m_none);
  } else {
    m_table = new QTableWidget(static_cast<int>(m_backups.size()), 3, this);
    m_table->setObjectName(QStringLiteral("backupsTable"));
    m_table->setHorizontalHeaderLabels(
        {Text("IDS_BACKUPS_DATE"), Text("IDS_BACKUPS_MODEL"), Text("IDS_BACKUPS_CHANNELS")});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < static_cast<int>(m_backups.size()); ++row) {
      const BackupEntry& e = m_backups[static_cast<std::size_t>(row)];
      m_table->setItem(row, 0, Cell(QString::fromStdString(e.when)));
      m_table->setItem(row, 1, Cell(QString::fromStdString(e.model)));
      m_table->setItem(row, 2, Cell(QString::number(e.channelsInUse), Qt::AlignRight));
      // The file's name as its tool tip: which backup a row is, for a user who looks.
      m_table->item(row, 0)->setToolTip(QString::fromStdString(e.path));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            [this] { m_open->setEnabled(!m_table->selectedItems().isEmpty()); });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnOpen(); });
    layout->addWidget(m_table);
    m_table->selectRow(0);
    m_open->setDefault(true);
  }
  layout->addWidget(buttons);
  resize(520, 360);
}

void CBackupsDlg::OnOpen() {
  if (!m_table) return;
  const int row = m_table->currentRow();
  if (row < 0 || row >= static_cast<int>(m_backups.size())) return;
  m_chosen = m_backups[static_cast<std::size_t>(row)].path;
  accept();
}

}  // namespace rondel
