// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/cell_editor_access.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "view/cell_editors.h"

namespace rondel {
namespace {

class CCellListAccessible : public QAccessibleWidget {
 public:
  explicit CCellListAccessible(CCellComboBase* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    const auto* list = static_cast<const CCellComboBase*>(widget());
    switch (kind) {
      case QAccessible::Name: return list->accessibleName();
      case QAccessible::Value: return list->currentText();
      default: return QAccessibleWidget::text(kind);
    }
  }
};

QAccessibleInterface* CellListFactory(const QString&, QObject* object) {
  if (auto* list = qobject_cast<CCellComboBase*>(object)) return new CCellListAccessible(list);
  return nullptr;
}

}  // namespace

void InstallCellEditorAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(CellListFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace rondel
