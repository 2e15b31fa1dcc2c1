// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/dialog_translate.h"

#include <QString>
#include <QWidget>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_fit.h"

namespace rondel {

void TranslateWindow(QWidget* window, int number, const ResourceTextLookup& lookup) {
  if (window == nullptr) return;
  const std::string caption = lookup(number);
  if (!caption.empty()) window->setWindowTitle(QString::fromStdString(caption));
  // children() keeps the order of creation, which is the template's.
  for (QObject* child : window->children()) {
    const int id = ControlId(child);
    if (id < 0 || !child->isWidgetType()) continue;
    const std::string text = lookup(id);
    if (!text.empty()) SetControlText(static_cast<QWidget*>(child), QString::fromStdString(text));
  }
  // A translation may be longer than the box the template drew for it.
  FitControlsToTexts(window);
}

}  // namespace rondel
