// SPDX-License-Identifier: GPL-3.0-or-later
// What screen readers are told of the two lists the grid lays over a cell: the name the view
// gives the open list (its channel and column) and, as its value, the item it shows. The
// toolkit's own list would report the item as its name on this platform, and the cell
// would go unnamed.
#pragma once

namespace rondel {

// Installs the interface for the cell lists; once per process, later calls do nothing.
void InstallCellEditorAccessibility();

}  // namespace rondel
