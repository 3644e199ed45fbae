#pragma once

#include <QByteArray>
#include <QString>

namespace quelto::collection {

// What is checked in a picture's bytes before a decoder sees them, so that no
// picture makes the program allocate more than a cover needs.
namespace PictureCheck {

// The formats a cover may have: "jpeg", "png", "webp", "gif" and "bmp".
bool isCoverFormat(const QByteArray& format);

// Empty when the bytes of a picture in format are whole, else why not:
// a PNG whose chunks reach past its end or lack their closing chunk, a JPEG
// whose image data breaks off (cut short, also when an end mark was put
// after the cut). The JPEG's data is read in full for that, at an eighth
// of its size.
QString structureProblem(const QByteArray& bytes, const QByteArray& format);

// A PNG as the decoder is given it: only the chunks that make up the image
// (header, palette, transparency, gamma and colour space, data, end); text,
// profiles and the rest, which a decoder would inflate or keep in memory,
// are left out. Empty when the chunks do not add up.
QByteArray pngForDecoding(const QByteArray& bytes);

} // namespace PictureCheck
} // namespace quelto::collection
