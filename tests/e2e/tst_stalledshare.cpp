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

// What a shell command prints of the program's entries in /proc (%1: its process id).
QString fromProc(qint64 pid, const char *command)
{
    return runTool("sh", { "-c", QString::fromLatin1(command).arg(pid) });
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
    void setAway(bool away) const
    {
        QFile flag(scratch.filePath("away"));
        away ? flag.open(QIODevice::WriteOnly) : flag.remove();
    }

    QTemporaryDir scratch;
    QProcess share;
};

void TestStalledShare::initTestCase()
{
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(Qt::red);
    QVERIFY(QDir(scratch.path()).mkpath("served") && QDir(scratch.path()).mkpath("share"));
    QVERIFY(icon.save(scratch.filePath("served/logo.png")));
    share.setProcessChannelMode(QProcess::ForwardedChannels);
    share.start(STALLING_SHARE,
        { scratch.filePath("served"), scratch.filePath("share"), scratch.filePath("away") });
    if (!QTest::qWaitFor([this] { return QFile::exists(scratch.filePath("share/logo.png")); }))
        QSKIP("no FUSE file system can be mounted here: no /dev/fuse, or no right to mount");
}

void TestStalledShare::cleanupTestCase()
{
    setAway(false);
    share.terminate(); // which unmounts the share
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
    // As a terminal or a launcher reads the sign's output, to its end.
    desktop.setCommand({ "bash", "-c", "set -o pipefail; \"$0\" 2>&1 | cat", VELMORAN_BINARY });
    QVERIFY(desktop.start());
    const qint64 pid = runTool("pgrep", { "-x", "Velmoran" }).toLongLong();
    const char *readerWaits = "cd /proc && for c in $(cat %1/task/*/children); do grep -l "
                              "request_wait_answer $c/wchan; done";
    QTRY_VERIFY(!fromProc(pid, readerWaits).isEmpty());

    QSet<QPoint> positions; // sampled as the condition is polled
    const auto moves = [&] {
        positions.insert(desktop.frameTopLeft());
        return positions.size() > 10;
    };
    QTRY_VERIFY(moves());
    const QImage first = desktop.grab();
    QTRY_VERIFY(desktop.grab() != first); // the counter goes on
    QImage dot(8, 8, QImage::Format_RGB32);
    dot.fill(Qt::blue);
    QVERIFY(dot.save(local));
    QTRY_COMPARE(pixelsOf(desktop.grab(), qRgb(0, 0, 255)), 8 * 8); // still checked
    const QString threads = fromProc(pid, "ls /proc/%1/task | wc -l");
    QTest::qWait(2000); // samples the readers over a few checks
    QCOMPARE(fromProc(pid, "ls /proc/%1/task | wc -l"), threads);

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
    QTRY_VERIFY(!fromProc(pid, readerWaits).isEmpty());
    QCOMPARE(pixelsOf(desktop.grab(), qRgb(255, 0, 0)), 32 * 32); // kept while it is checked

    desktop.requestClose();
    QCOMPARE(desktop.exitCode(), 0); // and the pipe ends, while the share still holds a checker
}

QTEST_GUILESS_MAIN(TestStalledShare)
#include "tst_stalledshare.moc"
