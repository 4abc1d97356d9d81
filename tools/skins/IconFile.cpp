#include "IconFile.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

namespace skins {
namespace {

void Append16(QByteArray& out, quint16 value) {
  const quint16 le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), 2);
}

void Append32(QByteArray& out, quint32 value) {
  const quint32 le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), 4);
}

}  // namespace

QString WriteIcon(const QString& path, const std::vector<QImage>& sizes) {
  std::vector<QByteArray> encoded;
  for (const QImage& image : sizes) {
    if (image.width() != image.height() || image.width() < 1 || image.width() > 256) {
      return QStringLiteral("icon pictures must be square and at most 256 pixels");
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
      return QStringLiteral("cannot encode a %1 pixel picture").arg(image.width());
    encoded.push_back(png);
  }
  QByteArray out;
  Append16(out, 0);  // reserved
  Append16(out, 1);  // icon
  Append16(out, static_cast<quint16>(sizes.size()));
  quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const int side = sizes[i].width();
    out.append(static_cast<char>(side == 256 ? 0 : side));  // 0 stands for 256
    out.append(static_cast<char>(side == 256 ? 0 : side));
    out.append('\0');  // no colour table
    out.append('\0');
    Append16(out, 1);   // planes
    Append16(out, 32);  // bits per pixel
    Append32(out, static_cast<quint32>(encoded[i].size()));
    Append32(out, offset);
    offset += static_cast<quint32>(encoded[i].size());
  }
  for (const QByteArray& png : encoded) out.append(png);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
    return QStringLiteral("cannot write ") + path;
  return {};
}

}  // namespace skins
