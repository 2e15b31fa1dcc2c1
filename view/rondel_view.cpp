// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/rondel_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QValidator>

#include "core/image_layout.h"
#include "grid/grid_ctrl.h"
#include "platform/dialogs/dialog_fit.h"
#include "platform/dialogs/dialog_template.h"
#include "resources/control_ids.h"
#include "shell/form/channel_columns.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "shell/language.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"
#include "view/cell_editor_access.h"
#include "view/controls/settings_list_controls.h"

namespace rondel {
namespace {

// Lets through only what the edit rule accepts, so a typed or pasted character the field
// cannot hold never reaches it.
class RuleValidator : public QValidator {
 public:
  using Rule = bool (*)(std::string_view text);
  RuleValidator(Rule rule, QObject* parent) : QValidator(parent), m_rule(rule) {}
  State validate(QString& input, int&) const override {
    return m_rule(input.toStdString()) ? Acceptable : Invalid;
  }

 private:
  Rule m_rule;
};

struct TextField {
  int id;
  RuleValidator::Rule rule;
  std::size_t maxChars;
};
constexpr TextField kTextFields[] = {
    {IDC_PTT_START, PttCodeEditAccepts, layout::kPttCodeSize},
    {IDC_PTT_END, PttCodeEditAccepts, layout::kPttCodeSize},
    {IDC_PASSWORD, PasswordEditAccepts, layout::kReadPasswordSize},
};

// Labels and the controls they name, besides those of the settings lists.
constexpr std::pair<int, int> kTextFieldLabels[] = {
    {IDC_PASSWORD_LABEL, IDC_PASSWORD},
    {IDC_PTT_START_LABEL, IDC_PTT_START},
    {IDC_PTT_END_LABEL, IDC_PTT_END},
};

}  // namespace

QStringList LanguageFamilies(const QStringList& families) {
  QStringList all = families;
  const std::string face = GetLangString("IDS_PRINT_FACE");
  if (!face.empty() && face != kLangNotFound && !all.contains(QString::fromStdString(face)))
    all.append(QString::fromStdString(face));
  return all;
}

void UseLanguageFace() {
  // The program's font as the desktop names it (often an alias such as "Sans Serif") and the
  // face fontconfig makes of it, with the substitutes the toolkit had for it before.
  static const QString desktop = QApplication::font().family();
  static const QString resolved = QFontInfo(QApplication::font()).family();
  static const QStringList before = QFont::substitutes(desktop);
  // The resolved face stays first, so Latin text keeps its face; the language's face only
  // sets what that one has no letters for.
  const QStringList wanted = before + LanguageFamilies({resolved});
  if (QFont::substitutes(desktop) == wanted) return;
  QFont::removeSubstitutions(desktop);
  QFont::insertSubstitutions(desktop, wanted);
}

CFormViewBase* CreateRondelView(CRondelApp& app, QWidget* parent) {
  return new CRondelView(app, parent);
}

CRondelView::CRondelView(CRondelApp& app, QWidget* parent)
    : CFormViewBase(parent),
      m_app(app),
      m_form(new QWidget),
      m_channelGrid(app, *this),
      m_print(app, m_channelGrid) {
  setObjectName(QStringLiteral("rondelView"));
  InstallCellEditorAccessibility();
  m_form->setObjectName(QStringLiteral("form101"));
  if (const DialogTemplate* tpl = FindDialogTemplate(IDD_FORM)) {
    BuildDialog(m_form, *tpl, [this](QWidget* parent, const ControlTemplate& c) {
      return m_channelGrid.MakeControl(parent, c.id);
    });
  }
  setWidget(m_form);
  // The form fills the view; only below its least size does the view scroll.
  setWidgetResizable(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_form->installEventFilter(this);
  ConnectSettingsControls();
  GiveLabelsTheirControls();
  m_channelGrid.Connect();
  m_app.Document().onEditApplied = [this](const EditOutcome& o) { OnEditApplied(o); };
}

CRondelView::~CRondelView() {
  m_app.Document().onEditApplied = nullptr;
  // The fields lose the focus as they go; that is no edit.
  for (const TextField& field : kTextFields)
    if (QWidget* edit = Control(field.id)) edit->removeEventFilter(this);
  m_form->removeEventFilter(this);
}

QWidget* CRondelView::Control(int id) const { return FindControl(m_form, id); }

void CRondelView::ConnectSettingsControls() {
  for (const SettingsList which : kSettingsLists) {
    if (auto* list = Item<QComboBox>(ControlsOfList(which).controlId)) {
      // A new frequency range erases every channel, so its question waits for a choice the
      // user commits (Enter, a click, an arrow on the closed list), never for a step through
      // the open list.
      if (which == SettingsList::FrequencyRange) {
        connect(list, &QComboBox::activated, this,
                [this, which](int index) { OnListSelected(which, index); });
        continue;
      }
      connect(list, &QComboBox::currentIndexChanged, this,
              [this, which](int index) { OnListSelected(which, index); });
    }
  }
  for (const auto& [id, setting] :
       {std::pair{IDC_FM_RADIO, Setting::FmRadio}, std::pair{IDC_BATTERY_SAVER, Setting::BatterySaver}}) {
    if (auto* box = Item<QCheckBox>(id))
      // Copied, not captured: clang before 16 cannot capture a structured binding.
      connect(box, &QCheckBox::clicked, this,
              [this, s = setting](bool checked) { OnCheckBoxClicked(s, checked); });
  }
  for (const TextField& field : kTextFields) {
    if (auto* edit = Item<QLineEdit>(field.id)) {
      edit->setValidator(new RuleValidator(field.rule, edit));
      edit->installEventFilter(this);
    }
  }
}

// A label names its control: screen readers find the label of each list and field through
// the buddy.
void CRondelView::GiveLabelsTheirControls() {
  const auto pair = [this](int labelId, int controlId) {
    auto* label = Item<QLabel>(labelId);
    QWidget* control = Control(controlId);
    if (label != nullptr && control != nullptr) label->setBuddy(control);
  };
  for (const SettingsList list : kSettingsLists) pair(ControlsOfList(list).labelId, ControlsOfList(list).controlId);
  for (const auto& [label, control] : kTextFieldLabels) pair(label, control);
}

void CRondelView::OnInitialUpdate() {
  OnUpdate();
  ResizeParentToFit();
  m_app.TranslateMenu();
  ShowPasswordControls();
}

void CRondelView::ShowPasswordControls() {
  const bool shown = m_app.Settings().PasswordEnabled();
  for (int id : {IDC_PASSWORD_LABEL, IDC_PASSWORD}) {
    if (QWidget* w = Item<QWidget>(id)) {
      w->setVisible(shown);
      w->setEnabled(shown);
    }
  }
}

void CRondelView::ResizeParentToFit() {
  QWidget* frame = window();
  if (frame == nullptr || frame == this) return;
  // The frame's pieces around the view only have their sizes once its layout has run.
  if (QLayout* layout = frame->layout()) layout->activate();
  // Measured without the scroll bars, which go once the form fits.
  const int border = 2 * frameWidth();
  PlaceFrame(frame->size() - this->size() + FormSizeHint() + QSize(border, border));
  m_checkFirstSize = !frame->isVisible();
}

void CRondelView::PlaceFrame(QSize size) {
  QWidget* frame = window();
  // The desktop's font decides the form's size, and it may well be larger than the frame
  // was made: the frame then grows too, but never beyond the screen, and stays on it.
  const QScreen* screen = frame->screen();
  if (screen == nullptr) {
    frame->resize(size);
    return;
  }
  const QRect desk = screen->availableGeometry();
  frame->resize(size.boundedTo(desk.size()));
  QRect placed = frame->frameGeometry();
  if (!desk.contains(placed)) {
    placed.moveRight(std::min(placed.right(), desk.right()));
    placed.moveBottom(std::min(placed.bottom(), desk.bottom()));
    placed.moveLeft(std::max(placed.left(), desk.left()));
    placed.moveTop(std::max(placed.top(), desk.top()));
    frame->move(placed.topLeft());
  }
}

void CRondelView::showEvent(QShowEvent* event) {
  CFormViewBase::showEvent(event);
  if (!m_checkFirstSize) return;
  m_checkFirstSize = false;
  // The window system may still be placing the frame: measured once the show has been dealt with.
  QTimer::singleShot(0, this, &CRondelView::MakeUpFirstSize);
}

void CRondelView::MakeUpFirstSize() {
  QWidget* frame = window();
  if (frame == nullptr || frame == this || Grid() == nullptr) return;
  // A menu bar in the language's face may come out a pixel taller on screen than it was
  // measured; a pixel short of the form is a scroll bar in the grid.
  const QSize lack = (FormSizeHint() - m_form->size()).expandedTo(QSize(0, 0));
  if (lack.width() > 0 || lack.height() > 0) PlaceFrame(frame->size() + lack);
}

void CRondelView::OnUpdate() {
  UseLanguageFace();
  if (CMainFrame* frame = m_app.MainFrame()) frame->OnUpdateFrameTitle();
  FillSettings();
  m_channelGrid.SetupChannelGrid();
  m_channelGrid.FillToneList();
  // Sized once the texts of this language are in, the tone list's included.
  FitChannelGrid();
  LayOutForm();
}

void CRondelView::FitChannelGrid() {
  m_channelGrid.FitChannelGrid();
  m_form->setMinimumSize(FormMinimumSize());
}

void CRondelView::TakeFormGeometry() {
  const CGridCtrl* grid = Grid();
  if (grid == nullptr) return;
  // The translation has put every control back where the template has it and grown those
  // whose texts needed more room; the grid spans the form, so it grew with them.
  const QRect form = TemplateGeometry(m_form);
  const QRect placed = TemplateGeometry(grid);
  m_gridOrigin = grid->geometry().topLeft();
  m_gridRightMargin = form.width() - (placed.right() + 1);
  m_gridBottomMargin = form.height() - (placed.bottom() + 1);
  m_panelWidth = grid->geometry().right() + 1 + m_gridRightMargin;
  AlignLabelsWithControls();
  m_form->setMinimumSize(FormMinimumSize());
  m_form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  LayOutForm();
}

// A label shares its control's height and is centred in it, so both texts sit on one line.
void CRondelView::AlignLabelsWithControls() {
  const auto align = [this](int labelId, int controlId) {
    auto* label = Item<QLabel>(labelId);
    QWidget* control = Control(controlId);
    if (label == nullptr || control == nullptr) return;
    const QRect c = control->geometry();
    const int height = std::max(c.height(), label->height());
    label->setGeometry(label->x(), c.top() + (c.height() - height) / 2, label->width(), height);
    label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
  };
  for (const SettingsList list : kSettingsLists) align(ControlsOfList(list).labelId, ControlsOfList(list).controlId);
  for (const auto& [label, control] : kTextFieldLabels) align(label, control);
}

QSize CRondelView::FormMinimumSize() const {
  const CGridCtrl* grid = Grid();
  if (grid == nullptr) return m_form->minimumSize();
  // The settings whole, and the grid with its headings and a few rows.
  constexpr int kLeastRows = 3;
  const int frame = 2 * grid->frameWidth();
  // The heading as tall as at the least widths, the tallest it gets.
  const int rows = m_channelGrid.LeastHeadingHeight() + kLeastRows * std::max(kChannelRowHeight, grid->GetRowHeight(1));
  const int bar = grid->horizontalScrollBar()->sizeHint().height();
  return {m_panelWidth, m_gridOrigin.y() + rows + bar + frame + m_gridBottomMargin};
}

QSize CRondelView::FormSizeHint() const {
  const CGridCtrl* grid = Grid();
  if (grid == nullptr) return m_form->size();
  const int frame = 2 * grid->frameWidth();
  // At these widths the columns are not stretched, and the heading is as tall as it is there.
  const int height =
      grid->GetTotalHeight() - std::max(0, grid->GetRowHeight(0)) + m_channelGrid.LeastHeadingHeight();
  const QSize whole(m_channelGrid.FittedWidth() + frame, height + frame);
  return QSize(m_gridOrigin.x() + whole.width() + m_gridRightMargin,
               m_gridOrigin.y() + whole.height() + m_gridBottomMargin)
      .expandedTo(FormMinimumSize());
}

void CRondelView::LayOutForm() {
  CGridCtrl* grid = Grid();
  if (grid == nullptr) return;
  const QSize form = m_form->size();
  grid->setGeometry(QRect(m_gridOrigin, QSize(std::max(0, form.width() - m_gridOrigin.x() - m_gridRightMargin),
                                              std::max(0, form.height() - m_gridOrigin.y() - m_gridBottomMargin))));
  m_channelGrid.StretchColumns();
}

void CRondelView::FillSettings() {
  TranslateDialog(m_form, IDD_FORM);
  TakeFormGeometry();
  const CRondelDoc& doc = m_app.Core().Doc();
  const CSettings& settings = m_app.Settings();
  for (const SettingsList which : kSettingsLists) {
    if (which == SettingsList::PriorityChannel) {
      FillPriorityChannelList();
      continue;
    }
    auto* list = Item<QComboBox>(ControlsOfList(which).controlId);
    if (list == nullptr) continue;
    const SettingsListFill fill = FillSettingsList(which, doc, settings);
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& entry : fill.entries) list->addItem(QString::fromStdString(entry));
    list->setCurrentIndex(fill.selection);
  }
  for (const TextField& field : kTextFields) {
    auto* edit = Item<QLineEdit>(field.id);
    if (edit == nullptr) continue;
    edit->setMaxLength(static_cast<int>(field.maxChars));
    edit->setText(QString::fromStdString(field.id == IDC_PASSWORD ? doc.GetReadPasswordText()
                                         : field.id == IDC_PTT_START
                                             ? doc.GetPttCodeText(PttCode::Start)
                                             : doc.GetPttCodeText(PttCode::End)));
  }
  if (auto* fm = Item<QCheckBox>(IDC_FM_RADIO)) fm->setChecked(doc.GetSetting(Setting::FmRadio) != 0);
  if (auto* saver = Item<QCheckBox>(IDC_BATTERY_SAVER))
    saver->setChecked(doc.GetSetting(Setting::BatterySaver) != 0);
}

void CRondelView::FillPriorityChannelList() {
  auto* list = Item<QComboBox>(IDC_PRIORITY);
  if (list == nullptr) return;
  const SettingsListFill fill =
      FillSettingsList(SettingsList::PriorityChannel, m_app.Core().Doc(), m_app.Settings());
  const QSignalBlocker quiet(list);
  list->clear();
  for (const std::string& entry : fill.entries) list->addItem(QString::fromStdString(entry));
  list->setCurrentIndex(fill.selection);
}

void CRondelView::OnListSelected(SettingsList list, int index) {
  // A list emptied by a fill reports no entry; only a user's choice is an edit.
  if (index < 0) return;
  m_app.Document().ApplyEdit(ListEdit{list, index});
}

void CRondelView::OnCheckBoxClicked(Setting setting, bool checked) {
  m_app.Document().ApplyEdit(CheckEdit{setting, checked});
}

bool CRondelView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) CommitField(watched);
  if (watched == m_form && event->type() == QEvent::Resize) LayOutForm();
  return CFormViewBase::eventFilter(watched, event);
}

void CRondelView::CommitField(QObject* field) {
  auto* edit = qobject_cast<QLineEdit*>(field);
  if (edit == nullptr || edit->parentWidget() != m_form) return;
  const std::string text = edit->text().toStdString();
  switch (ControlId(edit)) {
    case IDC_PTT_START: m_app.Document().ApplyEdit(CodeEdit{PttCode::Start, text}); break;
    case IDC_PTT_END: m_app.Document().ApplyEdit(CodeEdit{PttCode::End, text}); break;
    case IDC_PASSWORD: m_app.Document().ApplyEdit(PasswordEdit{text}); break;
    default: break;
  }
}

void CRondelView::CommitPendingEdit() {
  // Committed again when the focus does leave: the same bytes then change nothing.
  CommitField(QApplication::focusWidget());
  m_channelGrid.CommitCellEditor();
}

void CRondelView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) m_channelGrid.ColourChannelRows();
  CFormViewBase::changeEvent(event);
}

void CRondelView::OnEditApplied(const EditOutcome& outcome) {
  switch (outcome.refresh) {
    case EditRefresh::None:
      break;
    case EditRefresh::Cell:
      m_channelGrid.RefreshChannelCell(outcome.row, outcome.column);
      break;
    case EditRefresh::Row:
      m_channelGrid.RefreshChannelRow(outcome.row);
      FillPriorityChannelList();
      break;
    case EditRefresh::Settings:
      FillSettings();
      break;
    case EditRefresh::Form:
      // The document has refreshed every view already.
      break;
  }
}

}  // namespace rondel
