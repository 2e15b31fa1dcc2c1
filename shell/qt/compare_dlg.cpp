// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/compare_dlg.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/qt/local_path.h"
#include "shell/language.h"

namespace rondel {
namespace {

QString Text(const char* key) { return QString::fromStdString(GetLangString(key)); }

constexpr int kWidth = 560;
constexpr int kHeight = 420;

}  // namespace

CCompareDlg::CCompareDlg(const FileComparison& comparison, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("compareDialog"));
  const QString name = QFileInfo(PathForDisplay(comparison.path)).fileName();
  setWindowTitle(QString::fromStdString(
      FillIn(GetLangString("IDS_COMPARE_TITLE"), "%s", name.toStdString())));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* layout = new QVBoxLayout(this);
  m_summary = new QLabel(this);
  m_summary->setObjectName(QStringLiteral("summary"));
  m_summary->setTextFormat(Qt::PlainText);
  const auto& differences = comparison.differences;
  m_summary->setText(differences.empty()
                         ? Text("IDS_COMPARE_EQUAL")
                         : QString::fromStdString(FillIn(GetLangString("IDS_COMPARE_COUNT"), "%d",
                                                         std::to_string(differences.size()))));
  layout->addWidget(m_summary);

  m_table = new QTableWidget(static_cast<int>(differences.size()), 3, this);
  m_table->setObjectName(QStringLiteral("differences"));
  m_table->setHorizontalHeaderLabels(
      {Text("IDS_COMPARE_FIELD"), Text("IDS_COMPARE_THIS"), Text("IDS_COMPARE_OTHER")});
  m_table->verticalHeader()->setVisible(false);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < static_cast<int>(differences.size()); ++row) {
    const FieldDifference& d = differences[static_cast<std::size_t>(row)];
    const std::string cells[3] = {DifferencePlace(d), d.a, d.b};
    for (int column = 0; column < 3; ++column)
      m_table->setItem(row, column, new QTableWidgetItem(QString::fromStdString(cells[column])));
  }
  m_table->resizeColumnsToContents();
  m_table->setVisible(!differences.empty());
  layout->addWidget(m_table, 1);

  auto* buttons = new QHBoxLayout;
  m_open = new QPushButton(Text("IDS_COMPARE_OPEN"), this);
  m_open->setObjectName(QStringLiteral("openOther"));
  m_close = new QPushButton(Text("IDS_COMPARE_CLOSE"), this);
  m_close->setObjectName(QStringLiteral("close"));
  m_close->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(m_open);
  buttons->addWidget(m_close);
  layout->addLayout(buttons);
  connect(m_open, &QPushButton::clicked, this, [this] { done(kOpenOther); });
  connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
  resize(kWidth, differences.empty() ? m_summary->sizeHint().height() * 4 : kHeight);
}

}  // namespace rondel
