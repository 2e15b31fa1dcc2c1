// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog templates compiled into the program build into windows with every control, and
// dialog units map to pixels rounded at each edge.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"

namespace rondel {
namespace {

TEST(DialogTemplates, EveryTemplateBuildsWithEveryControlFoundByItsNumberInTemplateOrder) {
  ASSERT_EQ(EmbeddedTemplates().size(), DialogTemplateNumbers().size()) << "a template does not parse";
  EXPECT_EQ(DialogTemplateNumbers(), (std::vector<int>{100, 101, 130, 131, 132, 137, 139}));
  for (const int number : DialogTemplateNumbers()) {
    SCOPED_TRACE(number);
    const DialogTemplate* tpl = FindDialogTemplate(number);
    ASSERT_NE(tpl, nullptr);
    QWidget window;
    const DialogBaseUnits units = BuildDialog(&window, *tpl);
    EXPECT_EQ(window.size(), MapDialogRect(QRect(0, 0, tpl->width, tpl->height), units).size());
    std::vector<int> built;
    for (QObject* child : window.children())
      if (ControlId(child) >= 0) built.push_back(ControlId(child));
    std::vector<int> want;
    for (const ControlTemplate& c : tpl->controls) {
      want.push_back(c.id);
      if (c.id == kUnnamedControl) continue;
      QWidget* w = FindControl(&window, c.id);
      ASSERT_NE(w, nullptr) << c.id;
      EXPECT_EQ(w->isVisibleTo(&window), !c.HasStyle("hidden")) << c.id;
    }
    EXPECT_EQ(built, want);
  }
}

// x: (du * baseX + 2) / 4 for each edge, y: (du * baseY + 4) / 8: halves round up.
TEST(DialogUnits, MapEachEdgeRoundedWithHalvesUp) {
  struct Case {
    DialogBaseUnits units;
    QRect du, px;
  };
  const Case cases[] = {
      {{6, 12}, QRect(1, 1, 1, 1), QRect(2, 2, 1, 1)},  // 1.5 up to 2 on both axes
      {{5, 11}, QRect(1, 1, 1, 1), QRect(1, 1, 2, 2)},  // 1.25 and 1.375 down to 1
      {{7, 13}, QRect(1, 1, 1, 1), QRect(2, 2, 2, 1)},  // 1.75 and 1.625 up to 2
      {{6, 13}, QRect(22, 23, 36, 10), QRect(33, 37, 54, 17)},
      {{6, 12}, QRect(0, 0, 0, 0), QRect(0, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapDialogRect(c.du, c.units), c.px) << c.units.x << "x" << c.units.y;
  }
}

}  // namespace
}  // namespace rondel
