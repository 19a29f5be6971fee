#include "platform/compiledpicture.h"

#include <QBuffer>
#include <QPicture>
#include <QResource>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr std::uint32_t kMagic = 0x4d424650; // "PFBM" in little-endian order
constexpr qsizetype kHeaderBytes = 16;
constexpr std::uint32_t kMaxSide = 1 << 14;

struct Header {
    std::uint32_t magic, width, height, format;
};
static_assert(sizeof(Header) == kHeaderBytes);

// Calls use(data, size, inPlace) with the bytes of a resource: in place, for
// the program's lifetime, when it is stored uncompressed.
template <typename Use> auto WithResource(const QString& path, Use use) {
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return use(resource.data(), resource.size(), true);
    const QByteArray bytes = resource.isValid() ? resource.uncompressedData() : QByteArray();
    return use(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size(), false);
}

} // namespace

QString VectorResource(const char* base) {
    return QString::fromUtf8(base) + QLatin1String(".pic");
}

QString BitmapResource(const char* base, int ratio) {
    return QStringLiteral("%1@%2x.img").arg(QString::fromUtf8(base)).arg(ratio);
}

QByteArray EncodeBitmap(const QImage& image) {
    QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    bool opaque = true;
    for (int y = 0; y < pixels.height() && opaque; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        opaque = std::all_of(row, row + pixels.width(), [](QRgb p) { return qAlpha(p) == 255; });
    }
    const QImage::Format format = opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    pixels.reinterpretAsFormat(format); // the same bytes: opaque pixels are unchanged by premultiplying
    const Header header{kMagic, std::uint32_t(pixels.width()), std::uint32_t(pixels.height()),
                        std::uint32_t(format)};
    QByteArray bytes(reinterpret_cast<const char*>(&header), kHeaderBytes);
    const qsizetype row = qsizetype(pixels.width()) * 4;
    for (int y = 0; y < pixels.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), row);
    return bytes;
}

QImage DecodeBitmap(const uchar* data, qsizetype size) {
    Header header;
    if (!data || size < kHeaderBytes)
        return {};
    std::memcpy(&header, data, kHeaderBytes);
    const auto format = QImage::Format(header.format);
    if (header.magic != kMagic || header.width == 0 || header.height == 0 || header.width > kMaxSide ||
        header.height > kMaxSide ||
        (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied))
        return {};
    const qsizetype row = qsizetype(header.width) * 4;
    if (size != kHeaderBytes + row * qsizetype(header.height))
        return {};
    const uchar* pixels = data + kHeaderBytes;
    const QImage image(pixels, int(header.width), int(header.height), row, format);
    return reinterpret_cast<std::uintptr_t>(pixels) % alignof(std::uint32_t) == 0 ? image : image.copy();
}

QImage LoadBitmap(const QString& resource) {
    return WithResource(resource, [](const uchar* data, qsizetype size, bool inPlace) {
        const QImage image = DecodeBitmap(data, size);
        return inPlace ? image : image.copy();
    });
}

bool LoadVector(const QString& resource, QPicture& picture) {
    return WithResource(resource, [&](const uchar* data, qsizetype size, bool) {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), size);
        QBuffer buffer(&bytes);
        return size > 0 && buffer.open(QIODevice::ReadOnly) && picture.load(&buffer);
    });
}

} // namespace platform
