#ifndef SHOWNIMAGE_H
#define SHOWNIMAGE_H

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The images that a text shows, read and decoded by the sign itself, so that the label never
// opens a file or runs a decoder of its own. Nothing stands for an image that must not be shown:
// one that can't be read within the bounds, or whose format can't be decoded within them.

// What the label shows for an image that is missing or is no image at all.
const QImage &placeholderImage();

// The image in a file's or a data URL's bytes.
std::optional<QImage> decodedImage(QByteArray bytes);

// The image that a file shows now, read and decoded once for as long as the file stays the same.
std::optional<QImage> fileImage(const QString &path);

#endif // SHOWNIMAGE_H
