#include "shownimage.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <ctime>

namespace {

constexpr qint64 mostPixelsPerImage = 256 * 256; // an icon
// Decoding an icon takes about a millisecond. A decoder may work on for some 15 ms past its budget
// before it next reads: whichever thread decodes is free again within some 55 ms of its CPU time.
constexpr qint64 decodeBudgetNs = 40'000'000;
// Room for a 1024x1024 image: the toolkit's own icons, and a decoder's image of any bounded size.
constexpr int allocationLimitMiB = 4;
// The formats decoded: those whose decoders open no other file and stay within the budget. The
// PNG and JPEG decoders log a warning for data that does not begin as theirs does, so they are
// handed only data that does.
struct DecodedFormat
{
    const char *name;
    QByteArrayView signature;
};
constexpr QByteArrayView pngSignature = "\x89PNG\r\n\x1a\n";
constexpr DecodedFormat decodedFormats[]
    = { { "png", pngSignature }, { "jpeg", "\xff\xd8" }, { "gif", {} }, { "bmp", {} } };

// The PNG decoder sets aside and clears as much memory as a chunk declares before it reads the
// chunk: a few bytes that declare hundreds of megabytes would cost that memory and seconds, none
// of it spent reading. True when every chunk up to the last fits in the data.
bool pngChunksFit(QByteArrayView png)
{
    constexpr qsizetype header = 8; // length and type; a CRC follows the data
    for (qsizetype at = pngSignature.size(); png.size() - at >= header;) {
        const quint32 length = qFromBigEndian<quint32>(png.data() + at);
        if (length > png.size() - at - header - 4)
            return false;
        if (png.sliced(at + 4, 4) == "IEND")
            return true;
        at += header + length + 4;
    }
    return true;
}

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
    // whole program, which decodes nothing larger than an icon elsewhere; it is set once, before
    // any of the threads that decode reads it.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(allocationLimitMiB);
        return true;
    }();
    Q_UNUSED(limited);
    if (bytes.startsWith(pngSignature) && !pngChunksFit(bytes))
        return placeholderImage(); // as for any broken image
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
