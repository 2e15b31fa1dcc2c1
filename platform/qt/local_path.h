// SPDX-License-Identifier: GPL-3.0-or-later
// File names are bytes on Linux. A QString holds only text, so a name that is not UTF-8 (one
// copied from a Chinese Windows system, in GBK) does not survive it; a URL keeps such bytes
// percent-encoded. These carry a path between the two without losing a byte.
#pragma once

#include <QString>
#include <QUrl>

#include <string>

namespace rondel {

// The path of a local file URL byte for byte; empty for anything else.
std::string LocalPathFromUrl(const QUrl& url);
// The URL of a local path, any bytes included.
QUrl UrlFromLocalPath(const std::string& path);
// The path as text for the screen: bytes that are not UTF-8 show as replacement characters.
QString PathForDisplay(const std::string& path);

}  // namespace rondel
