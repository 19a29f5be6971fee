// Pictures compiled at build time from their SVG sources: a vector form
// (a QPicture stream, drawn at any device pixel ratio) and bitmaps rendered at
// whole device pixel ratios, drawn pixel for pixel without decoding.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>

class QPicture;

namespace platform {

// The device pixel ratios that have a bitmap of every picture.
inline constexpr std::array<int, 2> kBitmapRatios{1, 2};

// A picture's resources, from its base name (":/assets/banner").
QString VectorResource(const char* base);            // base + ".pic"
QString BitmapResource(const char* base, int ratio); // base + "@<ratio>x.img"

// A bitmap file: a 16-byte header (magic, width, height, QImage format, each
// 32 bits in the machine's order) and the rows. RGB32 when the image is opaque,
// premultiplied ARGB32 otherwise.
QByteArray EncodeBitmap(const QImage& image);
// The image over the file's bytes, which must outlive it; a copy when they are
// not aligned for 32-bit pixels. Null when the bytes are not such a file.
QImage DecodeBitmap(const uchar* data, qsizetype size);

// Readers of the program's resources; a null image or false when missing or invalid.
QImage LoadBitmap(const QString& resource);
bool LoadVector(const QString& resource, QPicture& picture);

} // namespace platform
