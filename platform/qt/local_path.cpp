// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/local_path.h"

#include <QByteArray>

namespace rondel {

std::string LocalPathFromUrl(const QUrl& url) {
  if (!url.isValid() || !url.isLocalFile()) return {};
  const QString host = url.host();
  // A file on another machine has no local bytes of its own: Qt's reading of it stands.
  if (!host.isEmpty() && host != QLatin1String("localhost")) return url.toLocalFile().toStdString();
  // The encoded path still holds every byte that is not UTF-8 as a %XX escape.
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  return bytes.toStdString();
}

QUrl UrlFromLocalPath(const std::string& path) {
  const QByteArray raw(path.data(), static_cast<qsizetype>(path.size()));
  return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

QString PathForDisplay(const std::string& path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace rondel
