// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu's "Import channels..." and "Export channels...": the file choosers and the
// messages go through the prompt layer, the list itself through channel_csv. Window-free, so
// the desktop program's handlers are one call each.
#pragma once

#include <string>

#include "shell/document/rondel_document.h"
#include "shell/settings.h"

namespace rondel {

// Asks for a list and imports it into the document: a refused list is shown and changes
// nothing; an imported one marks the document modified when it changed the image, refreshes
// the views and shows what was adjusted in one message. True when a list was imported.
bool ImportChannelList(CRondelDocument& document, const CSettings& settings);

// Asks where to and writes the document's channels as our list, whole or not at all. True when
// the file was written.
bool ExportChannelList(const CRondelDocument& document, const CSettings& settings);

// The name the export offers: the document's file (or title) with ".csv" for its extension.
std::string ProposedChannelListPath(const CRondelDocument& document);

}  // namespace rondel
