#include "imagefiles.h"
#include "shownimage.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr qint64 largestImageFile = 1024 * 1024;
// Each distinct file is read once while it stays the same.
constexpr qsizetype mostRememberedFiles = 64;
// The window renders once a second, and asks about no file more often.
constexpr int checkIntervalMs = 1000;
// Both lines' images, four each at the most, can be checked at once. A file is checked by one
// reader at a time: a file system that stopped answering holds a reader for each of its files at
// the most, and whatever waits for a reader stays within the files remembered.
constexpr int mostReaders = 8;

// What tells a changed file from the one that was read.
using Signature = std::array<qint64, 5>;

Signature signatureOf(const struct stat &status)
{
    return { qint64(status.st_dev), qint64(status.st_ino), qint64(status.st_size),
        qint64(status.st_mtim.tv_sec), qint64(status.st_mtim.tv_nsec) };
}

// What a check of a file found, and how it goes from the checker to its reader.
enum class Found : qint64 { Missing, Refused, Unchanged, Bytes };

struct Header
{
    Signature signature {}; // none while it is missing or no regular file
    Found found = Found::Missing;
};

// The checker's answer: the header, then the file's bytes when they are to be decoded. It is a
// fork of a program with threads, and calls the system alone. The file is judged by what was
// opened rather than by its name: opened without blocking, so that a pipe or a device put in its
// place since it was asked about can't hold the checker, and read only when it is a regular file
// that a file system stores (not /proc, /sys or a device), of at most the bound.
[[noreturn]] void answerCheck(int answer, const char *name, const Signature &known)
{
    Header header;
    struct stat status;
    int descriptor = -1;
    const bool exists = ::stat(name, &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        header.found = Found::Refused;
    } else if (exists) {
        header.signature = signatureOf(status);
        header.found = header.signature == known ? Found::Unchanged : Found::Bytes;
    }
    if (header.found == Found::Bytes) {
        descriptor = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct statvfs fileSystem;
        if (descriptor >= 0
            && (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)
                || status.st_size > largestImageFile || ::fstatvfs(descriptor, &fileSystem) != 0
                || fileSystem.f_blocks == 0))
            header.found = Found::Refused;
    }
    if (::write(answer, &header, sizeof header) != sizeof header)
        ::_exit(1);
    // The kernel copies the bytes to the pipe, up to one more than the bound.
    for (qint64 left = largestImageFile + 1;
         header.found == Found::Bytes && descriptor >= 0 && left > 0;) {
        const ssize_t count = ::sendfile(answer, descriptor, nullptr, size_t(left));
        if (count < 0)
            ::_exit(1);
        left = count == 0 ? 0 : left - count;
    }
    ::_exit(0);
}

// What a check of a file found: whether it is the one last read, and if not, its bytes.
struct Check
{
    Signature signature {};
    bool unchanged = false;
    std::optional<QByteArray> bytes; // nothing when it must not be shown; empty when unreadable
};

Check receivedCheck(int answer)
{
    Header header;
    QFile file;
    if (!file.open(answer, QIODevice::ReadOnly)
        || file.read(reinterpret_cast<char *>(&header), sizeof header) != sizeof header)
        return { {}, false, QByteArray() };
    if (header.found != Found::Bytes)
        return { header.signature, header.found == Found::Unchanged,
            header.found == Found::Missing ? std::optional(QByteArray()) : std::nullopt };
    QByteArray bytes = file.read(largestImageFile + 1);
    if (bytes.size() > largestImageFile)
        return { header.signature, false, std::nullopt };
    return { header.signature, false, bytes };
}

// A file system that stopped answering holds whoever asked it, beyond the reach of any signal,
// until its server comes back, and holds the process too as it ends. The file is asked by a
// process of its own, which the program can end without.
Check checkFile(const QByteArray &name, const Signature &known)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return { {}, false, QByteArray() };
    const int openLimit = int(std::min<long>(::sysconf(_SC_OPEN_MAX), INT_MAX));
    const pid_t checker = ::fork();
    if (checker == 0) {
        // Nothing of the program's is kept open by a checker that a file system holds: not its
        // display's connection, nor its output, which a terminal or a launcher reads to its end.
        ::dup2(ends[1], 3);
        for (int standard = 0; standard < 3; ++standard)
            ::close(standard);
        if (::open("/dev/null", O_RDWR) == 0) {
            ::dup2(0, 1);
            ::dup2(0, 2);
        }
        if (::close_range(4, ~0U, 0) != 0) { // a kernel older than 5.9
            for (int descriptor = 4; descriptor < openLimit; ++descriptor)
                ::close(descriptor);
        }
        answerCheck(3, name.constData(), known);
    }
    ::close(ends[1]);
    Check check = checker > 0 ? receivedCheck(ends[0]) : Check { {}, false, QByteArray() };
    ::close(ends[0]);
    int status = 0;
    while (checker > 0 && ::waitpid(checker, &status, 0) < 0 && errno == EINTR) { }
    if (checker > 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0) && check.bytes)
        check = { {}, false, QByteArray() }; // not read through: read again at the next check
    return check;
}

// The files that the texts show, with the image last read from each. The window's thread asks
// and waits only here; readers on threads of their own check the files and answer here.
class ImageFiles
{
public:
    ImageFiles();

    std::optional<QImage> image(const QString &path);
    void await(const QStringList &paths, QDeadlineTimer deadline);
    void close();

private:
    struct File
    {
        std::optional<QImage> image = placeholderImage(); // as last read
        Signature signature {}; // of the file that the image was read from
        bool read = false;
        bool checking = false; // a reader is asked for at most one check at a time
        QDeadlineTimer nextCheck; // expired: it may be checked again
    };

    File *file(const QString &path);
    void check(const QString &path, const QByteArray &name);

    QMutex mutex;
    QWaitCondition answered;
    QHash<QString, File> files;
    QThreadPool readers;
    int decoding = 0;
    bool closing = false;
};

// Never destroyed: a reader that a file system holds may come back after the program has begun
// to end, and must still find the table.
ImageFiles &imageFiles()
{
    static ImageFiles *const files = new ImageFiles;
    return *files;
}

ImageFiles::ImageFiles()
{
    readers.setMaxThreadCount(mostReaders);
    // Readers stay for the program's life, so that none ends its thread as the program ends.
    readers.setExpiryTimeout(-1);
    qAddPostRoutine([] { imageFiles().close(); });
}

// What is known now; the file is checked again on a reader, at most once a second.
std::optional<QImage> ImageFiles::image(const QString &path)
{
    QMutexLocker locker(&mutex);
    File *const found = file(path);
    if (!found)
        return placeholderImage();
    if (!found->checking && found->nextCheck.hasExpired()) {
        found->checking = true;
        found->nextCheck.setRemainingTime(checkIntervalMs);
        readers.start([this, path, name = QFile::encodeName(path)] { check(path, name); });
    }
    return found->image;
}

void ImageFiles::await(const QStringList &paths, QDeadlineTimer deadline)
{
    for (const QString &path : paths)
        image(path);
    QMutexLocker locker(&mutex);
    const auto unread = [&] {
        return std::any_of(paths.cbegin(), paths.cend(), [&](const QString &path) {
            const auto found = files.constFind(path);
            return found != files.cend() && !found->read;
        });
    };
    while (unread()) {
        if (!answered.wait(&mutex, deadline))
            return;
    }
}

// The program is ending: no reader starts to decode, and those that decode, in the toolkit's
// code, are waited for, each a few tens of milliseconds at the most. A reader that a file system
// holds is not.
void ImageFiles::close()
{
    QMutexLocker locker(&mutex);
    closing = true;
    readers.clear();
    while (decoding > 0)
        answered.wait(&mutex);
}

// The file's entry; none while every file remembered is being checked.
ImageFiles::File *ImageFiles::file(const QString &path)
{
    const auto found = files.find(path);
    if (found != files.end())
        return &*found;
    if (files.size() >= mostRememberedFiles)
        files.removeIf([](const auto &entry) { return !entry->checking; });
    if (files.size() >= mostRememberedFiles)
        return nullptr;
    return &*files.insert(path, File());
}

// On a reader's thread. The file system may hold it for as long as a share's server is away.
void ImageFiles::check(const QString &path, const QByteArray &name)
{
    QMutexLocker locker(&mutex);
    const Signature known = files.constFind(path)->signature; // kept while it is checked
    locker.unlock();
    const Check found = checkFile(name, known);
    locker.relock();
    std::optional<QImage> image;
    if (!found.unchanged && found.bytes) {
        // A core stays the window's, however many images are to be decoded at once.
        while (!closing && decoding >= std::max(1, QThread::idealThreadCount() - 1))
            answered.wait(&mutex);
        if (closing)
            return;
        ++decoding;
        locker.unlock();
        image = decodedImage(*found.bytes);
        locker.relock();
        --decoding;
    }
    File &file = *files.find(path);
    if (!found.unchanged) {
        file.image = image;
        file.signature = found.signature;
    }
    file.read = true;
    file.checking = false;
    answered.wakeAll();
}

} // namespace

std::optional<QImage> fileImage(const QString &path)
{
    return imageFiles().image(path);
}

void awaitFileImages(const QStringList &paths, QDeadlineTimer deadline)
{
    imageFiles().await(paths, deadline);
}
