#include "shownimage.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <array>
#include <ctime>

namespace {

constexpr qint64 mostPixelsPerImage = 256 * 256; // an icon
constexpr qint64 largestImageFile = 1024 * 1024;
// Decoding an icon takes about a millisecond. A decoder may work on for some 15 ms past its budget
// before it next reads, and a text shows four images at the most: its judging stays within a
// quarter of a second.
constexpr qint64 decodeBudgetNs = 40'000'000;
// Room for a 1024x1024 image: the toolkit's own icons, and a decoder's image of any bounded size.
constexpr int allocationLimitMiB = 4;
// Each distinct file is read once while it stays the same.
constexpr qsizetype mostRememberedFiles = 64;

// The formats decoded: those whose decoders open no other file and stay within the budget. The
// PNG and JPEG decoders log a warning for data that does not begin as theirs does, so they are
// handed only data that does.
struct DecodedFormat
{
    const char *name;
    QByteArrayView signature;
};
constexpr DecodedFormat decodedFormats[]
    = { { "png", "\x89PNG\r\n\x1a\n" }, { "jpeg", "\xff\xd8" }, { "gif", {} }, { "bmp", {} } };

qint64 threadCpuNs()
{
    timespec now;
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Decoders take their input piece by piece as they decode: a budget of CPU time, asked every few
// kilobytes, bounds also a decoder whose work grows with what the data declares, such as a stream
// compressed a thousandfold after the image's last row. The clock is a system call: some decoders
// read a byte at a time.
class BudgetedBuffer : public QBuffer
{
public:
    explicit BudgetedBuffer(QByteArray *bytes)
        : QBuffer(bytes)
    {
        open(QIODevice::ReadOnly);
    }

    bool overBudget() const { return spent; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        unclocked += maxSize;
        if (unclocked >= clockedBytes) {
            unclocked = 0;
            spent = spent || threadCpuNs() - start > decodeBudgetNs;
        }
        return spent ? -1 : QBuffer::readData(data, maxSize);
    }

private:
    static constexpr qint64 clockedBytes = 4096;
    const qint64 start = threadCpuNs();
    qint64 unclocked = clockedBytes; // the first read is clocked
    bool spent = false;
};

// What tells a changed file from the one that was read.
using Signature = std::array<qint64, 5>;

Signature signatureOf(const struct stat &status)
{
    return { qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
        qint64(status.st_mtim.tv_sec), qint64(status.st_mtim.tv_nsec) };
}

// A file's bytes, judged by what was opened rather than by its name: opened without blocking,
// so that a pipe or a device put in the file's place since it was asked about can't hold the
// window, and read only when it is a regular file that a file system stores (not /proc, /sys or
// a device), of at most the bound. Nothing when it must not be shown; empty when it can't be read.
std::optional<QByteArray> imageFileBytes(const QString &path)
{
    const int descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return QByteArray();
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return QByteArray();
    }
    struct stat status;
    struct statvfs fileSystem;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)
        || status.st_size > largestImageFile || ::fstatvfs(descriptor, &fileSystem) != 0
        || fileSystem.f_blocks == 0)
        return std::nullopt;
    QByteArray bytes = file.read(largestImageFile + 1);
    if (bytes.size() > largestImageFile)
        return std::nullopt;
    return bytes;
}

} // namespace

// A null image would send the label to open the file by its name.
const QImage &placeholderImage()
{
    static const QImage icon = [] {
        QImage image(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png"));
        if (image.isNull()) {
            image = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
        }
        return image;
    }();
    return icon;
}

// An image in any format but those decoded is refused.
std::optional<QImage> decodedImage(QByteArray bytes)
{
    // Every reader of the toolkit allocates its image within this limit, also while it only tells
    // whether it can read the data, as the GIF reader does by decoding it. The limit holds for the
    // whole program, which decodes nothing larger than an icon elsewhere.
    QImageReader::setAllocationLimit(allocationLimitMiB);
    for (const DecodedFormat &format : decodedFormats) {
        if (!bytes.startsWith(format.signature))
            continue;
        BudgetedBuffer input(&bytes);
        QImageReader reader(&input, format.name);
        reader.setAutoDetectImageFormat(false);
        // The size first: to tell whether it can read the data at all, the GIF reader decodes it
        // into an image as large as the data declares.
        const QSize size = reader.size();
        if (!size.isValid())
            continue;
        if (qint64(size.width()) * size.height() > mostPixelsPerImage)
            return std::nullopt;
        if (!reader.canRead())
            continue;
        const QImage image = reader.read();
        if (input.overBudget())
            return std::nullopt;
        return image.isNull() ? placeholderImage() : image;
    }
    BudgetedBuffer input(&bytes);
    if (!QImageReader::imageFormat(&input).isEmpty())
        return std::nullopt;
    return placeholderImage();
}

// Every render asks only whether the file changed.
std::optional<QImage> fileImage(const QString &path)
{
    struct FileImage
    {
        Signature signature;
        std::optional<QImage> image;
    };
    static QHash<QString, FileImage> known;
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return placeholderImage(); // missing
    if (!S_ISREG(status.st_mode))
        return std::nullopt;
    const Signature signature = signatureOf(status);
    const auto found = known.constFind(path);
    if (found != known.cend() && found->signature == signature)
        return found->image;
    if (known.size() >= mostRememberedFiles)
        known.clear();
    const std::optional<QByteArray> bytes = imageFileBytes(path);
    const std::optional<QImage> image = bytes ? decodedImage(*bytes) : std::nullopt;
    known.insert(path, { signature, image });
    return image;
}
