// SPDX-License-Identifier: GPL-3.0-or-later
// The grid as an accessible table, so screen readers and AT-SPI clients see its rows, columns,
// headings and focus cell like those of any other table.
#pragma once

#include <functional>

class QAccessibleEvent;

namespace rondel {

class CGridCtrl;

// Where the grid's accessibility events go: to Qt's accessibility (the platform's bridge) while
// it is active, or to the sink set here, which takes them instead. Returns the previous sink.
using GridAccessibilitySink = std::function<void(QAccessibleEvent*)>;
GridAccessibilitySink SetGridAccessibilitySink(GridAccessibilitySink sink);

// Registers the factory that gives every CGridCtrl its accessible table (once per process).
void InstallGridAccessibility();

// Events the grid raises while assistive technology listens.
void NotifyGridShape(CGridCtrl* grid);
void NotifyGridFocus(CGridCtrl* grid, int row, int col);
void NotifyGridCellText(CGridCtrl* grid, int row, int col);

}  // namespace rondel
