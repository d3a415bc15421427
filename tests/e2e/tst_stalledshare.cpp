#include "desktop.h"

#include <QDir>
#include <QSet>
#include <QtTest>

namespace {

int pixelsOf(const QImage &image, QRgb colour)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const auto *first = reinterpret_cast<const QRgb *>(pixels.constBits());
    return int(std::count(first, first + pixels.width() * pixels.height(), colour));
}

QString fromProc(qint64 pid, const QString &name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

QString threadCount(qint64 pid)
{
    return fromProc(pid, "status").section("Threads:", 1).section('\n', 0, 0);
}

// Whether one of the program's threads waits for the share's server to answer.
bool waitsOnTheShare(qint64 pid)
{
    const QStringList threads = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList();
    return std::any_of(threads.cbegin(), threads.cend(), [pid](const QString &thread) {
        return fromProc(pid, "task/" + thread + "/wchan") == "request_wait_answer";
    });
}

} // namespace

// An icon on a network share whose server goes away and comes back: a FUSE file system of the
// test's own, whose every answer waits while the server is away.
class TestStalledShare : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void signGoesOnWhileTheShareIsAway();

private:
    void setAway(bool away) const;

    QTemporaryDir scratch;
    QProcess share;
};

void TestStalledShare::setAway(bool away) const
{
    QFile flag(scratch.filePath("away"));
    QVERIFY(away ? flag.open(QIODevice::WriteOnly) : flag.remove());
}

void TestStalledShare::initTestCase()
{
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(Qt::red);
    QVERIFY(QDir(scratch.path()).mkpath("served") && QDir(scratch.path()).mkpath("share"));
    QVERIFY(icon.save(scratch.filePath("served/logo.png")));
    share.setProcessChannelMode(QProcess::ForwardedChannels);
    share.start("/usr/bin/python3",
        { STALLING_SHARE, scratch.filePath("served"), scratch.filePath("share"),
            scratch.filePath("away") });
    if (!QTest::qWaitFor([this] { return QFile::exists(scratch.filePath("share/logo.png")); }))
        QSKIP("no FUSE file system can be mounted here: no /dev/fuse, or no right to mount");
}

void TestStalledShare::cleanupTestCase()
{
    QFile::remove(scratch.filePath("away"));
    share.terminate(); // which unmounts it
    share.waitForFinished(5000);
}

void TestStalledShare::signGoesOnWhileTheShareIsAway()
{
    const QString local = scratch.filePath("dot.png"); // beside the icon on the share
    Desktop desktop;
    desktop.writeSettings(
        "[ui]\ncustomText=<img src=" + QFile::encodeName(scratch.filePath("share"))
        + "/logo.png><img src=" + QFile::encodeName(local) + "> Lunch\n");
    setAway(true);
    QVERIFY(desktop.start());
    const qint64 pid = desktop.processId();
    QTRY_VERIFY(waitsOnTheShare(pid));

    QSet<QPoint> positions;
    const auto moves = [&] {
        return positions.insert(desktop.frameTopLeft()), positions.size() > 10;
    };
    QTRY_VERIFY(moves());
    const QImage first = desktop.grab();
    QTRY_VERIFY(desktop.grab() != first); // the counter goes on
    QImage dot(8, 8, QImage::Format_RGB32);
    dot.fill(Qt::blue);
    QVERIFY(dot.save(local));
    QTRY_COMPARE(pixelsOf(desktop.grab(), qRgb(0, 0, 255)), 8 * 8); // still checked
    const QString threads = threadCount(pid);
    QTest::qWait(2000); // samples the readers over a few checks
    QCOMPARE(threadCount(pid), threads);

    desktop.activate();
    desktop.key("t");
    QTRY_VERIFY(!desktop.findWindow("カスタムテキスト").isEmpty());
    desktop.key("End");
    desktop.type(" soon");
    desktop.key("Return");
    QTRY_VERIFY(desktop.settingsFile().contains("> Lunch soon"));

    setAway(false);
    QTRY_COMPARE(pixelsOf(desktop.grab(), qRgb(255, 0, 0)), 32 * 32);
    setAway(true);
    QTRY_VERIFY(waitsOnTheShare(pid));
    QCOMPARE(pixelsOf(desktop.grab(), qRgb(255, 0, 0)), 32 * 32); // kept while it is checked

    // The kernel keeps the process until the share answers what a reader asked it, but the
    // program's own thread ends at once.
    desktop.requestClose();
    QTRY_COMPARE(fromProc(pid, "stat").section(' ', 2, 2), QStringLiteral("Z"));
    setAway(false);
    QCOMPARE(desktop.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestStalledShare)
#include "tst_stalledshare.moc"
