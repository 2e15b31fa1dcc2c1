#include "view/rondel_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "shell/form_texts.h"
#include "shell/language.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {
namespace {

constexpr int kPasswordLabel = 1041;
constexpr int kPasswordEdit = 1042;
constexpr int kPttStartEdit = 1040;
constexpr int kPttEndEdit = 1052;
constexpr int kFmRadioCheck = 1023;
constexpr int kBatterySaverCheck = 1024;

}  // namespace

CFormViewBase* CreateRondelView(CRondelApp& app, QWidget* parent) {
  return new CRondelView(app, parent);
}

CRondelView::CRondelView(CRondelApp& app, QWidget* parent)
    : CFormViewBase(parent), m_app(app), m_form(new QWidget) {
  setObjectName(QStringLiteral("rondelView"));
  m_form->setObjectName(QStringLiteral("form101"));
  if (const DialogTemplate* tpl = FindDialogTemplate(kFormTemplate)) {
    BuildDialog(m_form, *tpl, [this](QWidget* parent, const ControlTemplate& c) {
      return MakeControl(parent, c.id);
    });
  }
  ConnectChannelGrid();
  setWidget(m_form);
  setWidgetResizable(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QWidget* CRondelView::Control(int id) const { return FindControl(m_form, id); }

void CRondelView::OnInitialUpdate() {
  OnUpdate();
  ResizeParentToFit();
  m_app.TranslateMenu();
  ShowPasswordControls();
}

void CRondelView::ShowPasswordControls() {
  const bool shown = m_app.Settings().PasswordEnabled();
  for (int id : {kPasswordLabel, kPasswordEdit}) {
    if (QWidget* w = Control(id)) {
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
  QSize size = frame->size() - this->size() + m_form->size() + QSize(border, border);
  // The desktop's font decides the form's size, and it may well be larger than the frame
  // was made: the frame then grows too, but never beyond the screen, and stays on it.
  if (const QScreen* screen = frame->screen()) {
    const QRect desk = screen->availableGeometry();
    size = size.boundedTo(desk.size());
    frame->resize(size);
    QRect placed = frame->frameGeometry();
    if (!desk.contains(placed)) {
      placed.moveRight(std::min(placed.right(), desk.right()));
      placed.moveBottom(std::min(placed.bottom(), desk.bottom()));
      placed.moveLeft(std::max(placed.left(), desk.left()));
      placed.moveTop(std::max(placed.top(), desk.top()));
      frame->move(placed.topLeft());
    }
    return;
  }
  frame->resize(size);
}

void CRondelView::OnUpdate() {
  if (CMainFrame* frame = m_app.MainFrame()) frame->OnUpdateFrameTitle();
  FillSettings();
  SetupChannelGrid();
  FillToneList();
}

void CRondelView::FillSettings() {
  TranslateDialog(m_form, kFormTemplate);
  const CRondelDoc& doc = m_app.Core().doc();
  const CSettings& settings = m_app.Settings();
  for (const SettingsListInfo& info : kSettingsLists) {
    auto* list = qobject_cast<QComboBox*>(Control(info.controlId));
    if (list == nullptr) continue;
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& entry : SettingsListEntries(info.list, doc, settings))
      list->addItem(QString::fromStdString(entry));
    list->setCurrentIndex(SettingsListSelection(info.list, doc, settings));
  }
  const auto setEdit = [this](int id, const std::string& text, std::size_t maxChars) {
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id))) {
      edit->setMaxLength(static_cast<int>(maxChars));
      edit->setText(QString::fromStdString(text));
    }
  };
  setEdit(kPttStartEdit, doc.GetPttCodeText(PttCode::Start), kPttCodeMaxChars);
  setEdit(kPttEndEdit, doc.GetPttCodeText(PttCode::End), kPttCodeMaxChars);
  setEdit(kPasswordEdit, doc.GetReadPasswordText(), kPasswordMaxChars);
  if (auto* fm = qobject_cast<QCheckBox*>(Control(kFmRadioCheck)))
    fm->setChecked(doc.GetSetting(Setting::FmRadio) != 0);
  if (auto* saver = qobject_cast<QCheckBox*>(Control(kBatterySaverCheck)))
    saver->setChecked(doc.GetSetting(Setting::BatterySaver) != 0);
}

}  // namespace rondel
