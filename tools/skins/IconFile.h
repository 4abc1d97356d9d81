#pragma once
// Writes a Windows-style .ico holding one picture per size (PNG-compressed entries, which
// every current reader accepts, Qt's and the desktop's included).

#include <QImage>
#include <QString>
#include <vector>

namespace skins {

// Pictures must be square, 1 to 256 pixels. Returns an empty text on success, else what failed.
QString WriteIcon(const QString& path, const std::vector<QImage>& sizes);

}  // namespace skins
