// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/channel_grid.h"

#include <QComboBox>
#include <QPalette>
#include <QScrollBar>
#include <QStringList>

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>

#include "grid/grid_ctrl.h"
#include "platform/dialogs/palette_colours.h"
#include "platform/prompt.h"
#include "resources/control_ids.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "shell/language.h"
#include "shell/qt/rondel_app.h"
#include "shell/document/rondel_document.h"
#include "view/cell_editor_fit.h"
#include "view/cell_editors.h"

namespace rondel {
namespace {

constexpr unsigned kWrappedFormat = GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_WORDBREAK;
constexpr unsigned kSingleLineFormat = GV_FMT_CENTER | GV_FMT_VCENTER | GV_FMT_SINGLELINE;

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A read-only cell recedes toward the window around the grid and the palette's mid tone,
// with the disabled text, whatever the palette: editable cells keep the base colour and text.
QColor ReadOnlyCellFill(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Active, QPalette::Base);
  return BlendColours(BlendColours(base, palette.color(QPalette::Active, QPalette::Window), 50),
                      palette.color(QPalette::Active, QPalette::Mid), 35);
}
// The palette's disabled text, moved toward its text as far as it takes to stay readable on
// the read-only fill (some palettes' disabled text nearly vanishes on a grey).
QColor ReadOnlyCellText(const QPalette& palette) {
  return ReadableColour(palette.color(QPalette::Disabled, QPalette::Text), ReadOnlyCellFill(palette),
                        palette.color(QPalette::Active, QPalette::Text), 3.0);
}

// The widest text a frequency cell's editor holds: all its characters, one of them the point.
QString WidestFrequencyText() {
  QString text(static_cast<int>(kFreqEditMaxChars), QLatin1Char('0'));
  text[3] = QLatin1Char('.');
  return text;
}

// A cell's screen rectangle where the editor's parent, the form, has it.
QRect OnParent(const QWidget* editor, const QRect& screenRect) {
  const QWidget* parent = editor->parentWidget();
  return {parent != nullptr ? parent->mapFromGlobal(screenRect.topLeft()) : screenRect.topLeft(),
          screenRect.size()};
}

// The option editor's two items for column `column`, in list order.
QStringList Choices(int column) {
  const std::array<std::string, 2> choices = OptionChoices(column);
  return {Q(choices[0]), Q(choices[1])};
}

}  // namespace

CChannelGrid::CChannelGrid(CRondelApp& app, QWidget& view) : m_app(app), m_view(view) {}

// The editors are the form's children and outlive this; their reports stop here.
CChannelGrid::~CChannelGrid() = default;

QWidget* CChannelGrid::MakeControl(QWidget* parent, int id) {
  switch (id) {
    case IDC_CHANNEL_GRID: return m_grid = new CGridCtrl(parent);
    case IDC_FREQ_CELL_EDIT: return m_freqEdit = new CFreqCellEdit(parent);
    case IDC_CHOICE_CELL_COMBO: return m_choiceEdit = new CChoiceCellCombo(parent);
    case IDC_TONE_CELL_COMBO: return m_toneEdit = new CToneCellCombo(parent);
    default: return nullptr;
  }
}

void CChannelGrid::Connect() {
  if (m_grid == nullptr || m_freqEdit == nullptr || m_choiceEdit == nullptr || m_toneEdit == nullptr)
    return;
  // Enter and Escape in an editor give the focus back to the grid, which ends the edit.
  m_freqEdit->SetOwner(m_grid);
  m_choiceEdit->SetOwner(m_grid);
  m_toneEdit->SetOwner(m_grid);
  // The 259 tones open as a list of a handy height that scrolls, not as tall as the template
  // (or the screen) makes it.
  m_toneEdit->setMaxVisibleItems(CCellComboBase::kVisibleItems);
  m_grid->SetOwner(&m_view);
  QObject::connect(m_grid, &CGridCtrl::beginEdit, this,
                   [this](const CGridReport& report) { OnGridBeginEdit(report); });
  QObject::connect(m_freqEdit, &CFreqCellEdit::editDone, this, [this] { OnFrequencyEditDone(); });
  QObject::connect(m_choiceEdit, &CChoiceCellCombo::choiceSelected, this,
                   [this](int index) { OnChoiceSelected(index); });
  QObject::connect(m_choiceEdit, &CChoiceCellCombo::editDone, this, [this] { OnChoiceEditDone(); });
  QObject::connect(m_toneEdit, &CToneCellCombo::editDone, this, [this] { OnToneEditDone(); });
}

void CChannelGrid::SetupChannelGrid() {
  if (m_grid == nullptr) return;
  // A full refill replaces whatever an open editor was showing: the image it was opened on
  // may be gone (a new document, a read), so its text is dropped rather than stored.
  HideCellEditors();
  const int n = m_app.Settings().ChannelCount();
  if (m_grid->GetRowCount() != n + 1) {
    try {
      m_grid->SetRowCount(n + 1);
      m_grid->SetColumnCount(kChannelColumns);
      m_grid->SetFixedRowCount(1);
      m_grid->SetFixedColumnCount(1);
    } catch (const std::bad_alloc&) {
      ShowPrompt(GetLangString("IDS_ERROR_MEMORY"), GetLangString("IDS_ERROR"), PromptIcon::Error,
                 PromptButtons::Ok);
      return;
    }
    m_grid->EnableResize(false, false);
    m_grid->ResetSelection();
    m_grid->EnableSelection(false);
    m_grid->ResetSelection();
    for (int c = 0; c < kChannelColumns; ++c) m_grid->SetColumnWidth(c, ColumnInfo(c).width);
    m_grid->SetRowHeight(0, kHeadingRowHeight);
    for (int r = 1; r <= n; ++r) m_grid->SetRowHeight(r, kChannelRowHeight);
  }
  m_grid->setAccessibleName(Q(GetLangString("IDS_CHANNEL_TABLE")));
  m_grid->EnableRedraw(false);
  const std::vector<std::string> headings = GetChannelHeadings();
  for (int c = 0; c < kChannelColumns && c < static_cast<int>(headings.size()); ++c) {
    GV_ITEM item;
    item.mask = GVIF_TEXT | GVIF_FORMAT;
    item.row = 0;
    item.col = c;
    item.text = Q(headings[static_cast<std::size_t>(c)]);
    item.format = ColumnInfo(c).wrapHeading ? kWrappedFormat : kSingleLineFormat;
    m_grid->SetCell(item);
  }
  for (int r = 1; r < m_grid->GetRowCount(); ++r) RefreshChannelRow(r);
  m_grid->EnableRedraw(true, true);
}

void CChannelGrid::SetChannelCell(int n, int column, const std::string& text) {
  GV_ITEM item;
  item.mask = GVIF_TEXT | GVIF_FORMAT;
  item.row = n;
  item.col = column;
  item.text = Q(text);
  item.format = kSingleLineFormat;
  m_grid->SetCell(item);
}

void CChannelGrid::RefreshChannelRow(int n) {
  if (m_grid == nullptr || !CRondelDoc::IsValidChannel(n)) return;
  const CRondelDoc& doc = m_app.Core().Doc();
  const ChannelRowTexts row = ChannelRow(doc, n);
  for (int c = 1; c < kChannelColumns; ++c) {
    const unsigned state = m_grid->GetCellState(n, c);
    m_grid->SetCellState(n, c, row.editable[static_cast<std::size_t>(c)] ? state & ~GVIS_READONLY
                                                                         : state | GVIS_READONLY);
  }
  ColourChannelRow(n);
  // A channel's values written afresh leave nothing for an open editor to commit.
  if (!doc.IsChannelEmpty(n)) HideCellEditors();
  for (int c = 0; c < kChannelColumns; ++c) SetChannelCell(n, c, row.text[static_cast<std::size_t>(c)]);
  m_grid->RedrawRow(n);
}

void CChannelGrid::RefreshChannelCell(int n, int column) {
  if (m_grid == nullptr || !CRondelDoc::IsValidChannel(n) || column < 0 || column >= kChannelColumns) return;
  SetChannelCell(n, column, ChannelRow(m_app.Core().Doc(), n).text[static_cast<std::size_t>(column)]);
  m_grid->RedrawRow(n);
}

void CChannelGrid::ColourChannelRow(int n) {
  const QPalette& pal = m_view.palette();
  for (int c = 1; c < kChannelColumns; ++c) {
    const bool readOnly = (m_grid->GetCellState(n, c) & GVIS_READONLY) != 0;
    m_grid->SetCellBackColour(n, c, readOnly ? ReadOnlyCellFill(pal) : GridDefaultColour());
    m_grid->SetCellTextColour(n, c, readOnly ? ReadOnlyCellText(pal) : GridDefaultColour());
  }
}

void CChannelGrid::ColourChannelRows() {
  if (m_grid == nullptr) return;
  for (int r = 1; r < m_grid->GetRowCount(); ++r) {
    ColourChannelRow(r);
    m_grid->RedrawRow(r);
  }
}

void CChannelGrid::FitChannelGrid() {
  if (m_grid == nullptr) return;
  const int rows = m_grid->GetRowCount();
  const int cols = m_grid->GetColumnCount();
  QStringList tones;
  if (m_toneEdit != nullptr)
    for (int i = 0; i < m_toneEdit->count(); ++i) tones.append(m_toneEdit->itemText(i));
  // The template's sizes are the least; a text, a heading word or an open editor that needs
  // more gets it.
  m_columnFit.assign(static_cast<std::size_t>(cols), 0);
  for (int c = 0; c < cols; ++c) {
    const ChannelColumnInfo& info = ColumnInfo(c);
    int width = info.width;
    for (int r = 0; r < rows; ++r) width = std::max(width, m_grid->GetCellFitSize(r, c, width).width());
    switch (info.editor) {
      case CellEditor::None: break;
      case CellEditor::Frequency: width = std::max(width, CellEditorWidth(m_freqEdit, {WidestFrequencyText()})); break;
      case CellEditor::Tone: width = std::max(width, CellEditorWidth(m_toneEdit, tones)); break;
      case CellEditor::Choice: width = std::max(width, CellEditorWidth(m_choiceEdit, Choices(c))); break;
    }
    m_columnFit[static_cast<std::size_t>(c)] = width;
  }
  int heading = kHeadingRowHeight;
  int row = kChannelRowHeight;
  for (int c = 0; c < cols; ++c) {
    const int width = m_columnFit[static_cast<std::size_t>(c)];
    if (rows > 0) heading = std::max(heading, m_grid->GetCellFitSize(0, c, width).height());
    for (int r = 1; r < rows; ++r) row = std::max(row, m_grid->GetCellFitSize(r, c, width).height());
  }
  if (rows > 0) m_grid->SetRowHeight(0, heading);
  for (int r = 1; r < rows; ++r) m_grid->SetRowHeight(r, row);
  m_leastHeadingHeight = heading;
}

int CChannelGrid::FittedWidth() const {
  int width = 0;
  for (const int w : m_columnFit) width += w;
  return width;
}

void CChannelGrid::StretchColumns() {
  if (m_grid == nullptr || m_columnFit.size() != static_cast<std::size_t>(m_grid->GetColumnCount())) return;
  // Twice: the widths decide the heading's height, and the height whether a vertical bar
  // takes some of the width.
  for (int pass = 0; pass < 2; ++pass) StretchColumnsOnce();
}

void CChannelGrid::StretchColumnsOnce() {
  const QSize room = m_grid->maximumViewportSize();
  int width = room.width();
  if (m_grid->GetTotalHeight() > room.height()) width -= m_grid->verticalScrollBar()->sizeHint().width();
  int least = 0;
  int stretching = 0;
  const int fixed = m_grid->GetFixedColumnCount();
  for (std::size_t c = 0; c < m_columnFit.size(); ++c) {
    least += m_columnFit[c];
    if (static_cast<int>(c) >= fixed) stretching += m_columnFit[c];
  }
  // The channel columns share what is left, each by its share of the least widths; the
  // number column keeps its own.
  const int extra = std::max(0, width - least);
  int given = 0;
  for (std::size_t c = 0; c < m_columnFit.size(); ++c) {
    int w = m_columnFit[c];
    if (static_cast<int>(c) >= fixed && stretching > 0) {
      const int share = c + 1 == m_columnFit.size()
                            ? extra - given
                            : static_cast<int>(static_cast<long long>(extra) * m_columnFit[c] / stretching);
      given += share;
      w += share;
    }
    if (m_grid->GetColumnWidth(static_cast<int>(c)) != w) m_grid->SetColumnWidth(static_cast<int>(c), w);
  }
  // A wider column may need fewer lines for its heading.
  if (m_grid->GetRowCount() == 0) return;
  int heading = kHeadingRowHeight;
  for (int c = 0; c < m_grid->GetColumnCount(); ++c)
    heading = std::max(heading, m_grid->GetCellFitSize(0, c, m_grid->GetColumnWidth(c)).height());
  if (m_grid->GetRowHeight(0) != heading) m_grid->SetRowHeight(0, heading);
}

QString CChannelGrid::CellName(int row, int col) const {
  const std::string named = FillIn(GetLangString("IDS_CELL_NAME"), "%d", std::to_string(row));
  return Q(FillIn(named, "%s", m_grid->GetCellText(0, col).toStdString()));
}

void CChannelGrid::FillToneList() {
  if (m_toneEdit == nullptr) return;
  QStringList items;
  for (const std::string& item : ToneListItems()) items.append(Q(item));
  m_toneEdit->SetItems(items);
}

void CChannelGrid::HideCellEditors() {
  for (QWidget* editor : {static_cast<QWidget*>(m_freqEdit), static_cast<QWidget*>(m_toneEdit),
                          static_cast<QWidget*>(m_choiceEdit)}) {
    if (editor == nullptr) continue;
    editor->setVisible(false);
    editor->setEnabled(false);
  }
  if (m_grid != nullptr) m_grid->SetEditing(false);
}

void CChannelGrid::CommitCellEditor() {
  if (m_freqEdit != nullptr && m_freqEdit->isVisible()) OnFrequencyEditDone();
  if (m_toneEdit != nullptr && m_toneEdit->isVisible()) OnToneEditDone();
  if (m_choiceEdit != nullptr && m_choiceEdit->isVisible()) OnChoiceEditDone();
}

void CChannelGrid::OnGridBeginEdit(const CGridReport& report) {
  m_editRow = report.item.row;
  m_editCol = report.item.col;
  QWidget* editor = nullptr;
  switch (ColumnInfo(m_editCol).editor) {
    case CellEditor::None:
      return;
    case CellEditor::Frequency:
      m_grid->SetEditing(true);
      m_freqEdit->setVisible(true);
      m_freqEdit->setEnabled(true);
      m_freqEdit->setGeometry(OnParent(m_freqEdit, report.screenRect));
      m_freqEdit->Open(report.item.text);
      editor = m_freqEdit;
      break;
    case CellEditor::Tone:
      m_grid->SetEditing(true);
      m_toneEdit->setVisible(true);
      m_toneEdit->setEnabled(true);
      m_toneEdit->SelectByPrefix(report.item.text);
      m_toneEdit->setGeometry(OnParent(m_toneEdit, report.screenRect));
      editor = m_toneEdit;
      break;
    case CellEditor::Choice: {
      m_grid->SetEditing(true);
      m_choiceEdit->Open(Choices(m_editCol), report.item.text);
      m_choiceEdit->setVisible(true);
      m_choiceEdit->setEnabled(true);
      m_choiceEdit->setGeometry(OnParent(m_choiceEdit, report.screenRect));
      editor = m_choiceEdit;
      break;
    }
  }
  editor->setAccessibleName(CellName(m_editRow, m_editCol));
  editor->raise();
  editor->setFocus(Qt::OtherFocusReason);
}

void CChannelGrid::OnFrequencyEditDone() {
  m_grid->SetEditing(false);
  const std::string text = m_freqEdit->text().toStdString();
  m_freqEdit->setVisible(false);
  m_freqEdit->setEnabled(false);
  m_app.Document().ApplyEdit(FrequencyEdit{m_editRow, m_editCol, text});
}

void CChannelGrid::OnChoiceSelected(int index) {
  m_app.Document().ApplyEdit(OptionEdit{m_editRow, m_editCol, index});
}

void CChannelGrid::OnChoiceEditDone() {
  m_grid->SetEditing(false);
  m_choiceEdit->setVisible(false);
  m_choiceEdit->setEnabled(false);
}

void CChannelGrid::OnToneEditDone() {
  m_grid->SetEditing(false);
  std::optional<std::string> item;
  if (m_toneEdit->currentIndex() >= 0) item = m_toneEdit->currentText().toStdString();
  m_toneEdit->setVisible(false);
  m_toneEdit->setEnabled(false);
  m_app.Document().ApplyEdit(ToneEdit{m_editRow, m_editCol, item});
}

}  // namespace rondel
