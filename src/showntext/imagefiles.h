#ifndef IMAGEFILES_H
#define IMAGEFILES_H

#include <QDeadlineTimer>
#include <QImage>
#include <QStringList>

#include <optional>

// The images in files, read and decoded on threads of the sign's own, each file asked about by a
// short-lived process. A file on a network share whose server has gone away holds whoever asks
// the file system about it until the server comes back: the window asks these threads instead,
// and never waits on one for longer than it chooses, and the program ends without the process.

// What a file shows as far as is known now, answered at once: the image last read from it, Qt's
// "missing image" placeholder until it has first been read, or nothing where it must not be
// shown. Asks for the file to be checked again, at most once a second; it is read and decoded
// again only when it has changed.
std::optional<QImage> fileImage(const QString &path);

// Asks for the files, and waits until each has been read once, or until the deadline.
void awaitFileImages(const QStringList &paths, QDeadlineTimer deadline);

#endif // IMAGEFILES_H
