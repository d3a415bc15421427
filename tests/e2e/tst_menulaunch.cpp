#include "desktop.h"

#include <QSet>
#include <QtTest>

namespace {

// The command line of an installed desktop entry, split as a launcher splits it.
QStringList execLine(const QString &entryPath)
{
    QFile entry(entryPath);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    for (const QByteArray &line : entry.readAll().split('\n')) {
        if (line.startsWith("Exec="))
            return QProcess::splitCommand(QString::fromUtf8(line.mid(5)));
    }
    return {};
}

} // namespace

// The program as the desktop's menu starts it in a Wayland session: run under a GNOME session
// with XWayland, and under a compositor without it.
class TestMenuLaunch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bouncesOnXWayland();
    void warnsOnNativeWayland();

private:
    QTemporaryDir prefix;
    QStringList command;
};

void TestMenuLaunch::initTestCase()
{
    QProcess install;
    install.start("cmake", { "--install", VELMORAN_BUILD_DIR, "--prefix", prefix.path() });
    QVERIFY(install.waitForFinished(60000));
    QCOMPARE(install.exitCode(), 0);
    // As where the package installs it: the entry names the program without a path.
    qputenv("PATH", prefix.filePath("bin").toUtf8() + ':' + qgetenv("PATH"));
    command = execLine(prefix.filePath("share/applications/org.velmoran.velmoran.desktop"));
    QVERIFY(!command.isEmpty());
}

void TestMenuLaunch::bouncesOnXWayland()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("this session has no XWayland");
    Desktop desktop;
    desktop.setCommand(command);
    QVERIFY(desktop.start());
    // The window is placed by its frame's corner and kept on the monitor by its client size.
    const QRect placements(0, 0, 1920 - 280 + 1, 1080 - 150 + 1);
    QSet<QPoint> positions;
    const auto moved = [&] { // a loaded machine may place it late
        positions.insert(desktop.frameTopLeft());
        return positions.size() > 10;
    };
    QVERIFY2(QTest::qWaitFor(moved, 20000), "the window does not move");
    for (const QPoint &position : positions)
        QVERIFY2(placements.contains(position),
            qPrintable(QStringLiteral("%1,%2").arg(position.x()).arg(position.y())));
    QCOMPARE(desktop.close(), 0);
}

// Without XWayland the program ends on Wayland, where it warns before it shows its window.
void TestMenuLaunch::warnsOnNativeWayland()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("this session has XWayland");
    QTemporaryDir home;
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
    environment.insert("WAYLAND_DEBUG", "client"); // the protocol messages, on standard error
    app.setProcessEnvironment(environment);
    app.start(command.value(0), command.mid(1));
    QByteArray protocol;
    const bool warned = QTest::qWaitFor(
        [&] {
            protocol += app.readAllStandardError();
            return protocol.contains("set_title(\"Platform Warning\")");
        },
        15000);
    QTest::qWait(500);
    protocol += app.readAllStandardError();
    const bool running = app.state() == QProcess::Running;
    app.kill();
    app.waitForFinished(5000);
    QVERIFY2(warned, protocol.right(2000).constData());
    QVERIFY(running); // the warning waits for its Ok
    QVERIFY(!protocol.contains("set_title(\"Velmoran\")"));
}

QTEST_GUILESS_MAIN(TestMenuLaunch)
#include "tst_menulaunch.moc"
