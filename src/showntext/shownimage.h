#ifndef SHOWNIMAGE_H
#define SHOWNIMAGE_H

#include <QByteArray>
#include <QImage>

#include <optional>

// The images that a text shows, decoded by the sign itself, so that the label never runs a
// decoder of its own. Nothing stands for an image that must not be shown: one whose format can't
// be decoded within the bounds.

// What the label shows for an image that is missing or is no image at all.
const QImage &placeholderImage();

// The image in a file's or a data URL's bytes, decoded on the calling thread.
std::optional<QImage> decodedImage(QByteArray bytes);

#endif // SHOWNIMAGE_H
