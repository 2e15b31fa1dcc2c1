// The grid as an accessible table, so screen readers and AT-SPI clients see its rows, columns,
// headings and focus cell like those of any other table.
#pragma once

namespace rondel {

class CGridCtrl;

// Registers the factory that gives every CGridCtrl its accessible table (once per process).
void InstallGridAccessibility();

// Events the grid raises while assistive technology listens.
void NotifyGridShape(CGridCtrl* grid);
void NotifyGridFocus(CGridCtrl* grid, int row, int col);
void NotifyGridCellText(CGridCtrl* grid, int row, int col);

}  // namespace rondel
