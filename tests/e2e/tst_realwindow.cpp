#include "desktop.h"

#include <QSet>
#include <QtTest>

namespace {

const QRect screenRect(0, 0, 1920, 1080);

QSet<QPoint> positionsOver(const Desktop &desktop, int samples)
{
    QSet<QPoint> positions;
    for (int i = 0; i < samples; ++i) {
        positions.insert(desktop.frameTopLeft());
        QTest::qWait(40); // samples over time: a few steps apart
    }
    return positions;
}

// Where the image shows dark pixels: the text, on a light scheme.
QRect inkOf(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 96)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// Presses a key on a freshly started window and waits for the dialog that it opens.
bool openDialog(Desktop &desktop, const QString &key, const QString &title)
{
    if (!desktop.start())
        return false;
    desktop.activate();
    desktop.key(key);
    return QTest::qWaitFor([&] { return !desktop.findWindow(title).isEmpty(); }, 5000);
}

// Right-clicks a freshly started window; the menu's window id, or an empty string.
QString openMenu(Desktop &desktop)
{
    if (!desktop.start())
        return QString();
    desktop.activate();
    desktop.rightClick(QPoint(140, 75));
    QString menu;
    const bool opened
        = QTest::qWaitFor([&] { return !(menu = desktop.popupMenu()).isEmpty(); }, 5000);
    return opened ? menu : QString();
}

} // namespace

class TestRealWindow : public QObject
{
    Q_OBJECT

private slots:
    void showsBouncingWindowAndExitsCleanly();
    void showsItsMainLine_data();
    void showsItsMainLine();
    void desktopsThatPlaceTheWindow_data();
    void desktopsThatPlaceTheWindow();
    void dvdKeyStopsAndRestartsTheMotion();
    void fullScreenKeyIsReliable_data();
    void fullScreenKeyIsReliable();
    void textKeyStoresWhatIsTyped();
    void commentKeyStoresAnEmptyComment();
    void escapeOnADialogWritesNothing_data();
    void escapeOnADialogWritesNothing();
    void enterConfirmsTheSpeedDialog();
    void contextMenuByKeyboard();
    void contextMenuByClick();
    void commandLine_data();
    void commandLine();
};

void TestRealWindow::showsBouncingWindowAndExitsCleanly()
{
    Desktop desktop;
    QVERIFY(desktop.start());
    QCOMPARE(desktop.geometry().size(), QSize(280, 150));
    QCOMPARE(
        runTool("xdotool", { "getwindowname", desktop.windowId() }), QStringLiteral("Velmoran"));

    // The window is placed by its frame's corner and kept on screen by its client size.
    const QRect placements(0, 0, 1920 - 280 + 1, 1080 - 150 + 1);
    const QSet<QPoint> positions = positionsOver(desktop, 25);
    QVERIFY2(positions.size() > 10, "the window does not move");
    for (const QPoint &position : positions)
        QVERIFY2(placements.contains(position),
            qPrintable(QStringLiteral("%1,%2").arg(position.x()).arg(position.y())));
    const QString shown = desktop.readText();
    QVERIFY2(shown.contains(QStringLiteral("Nothing to do at 00:00")), qPrintable(shown));

    if (!qEnvironmentVariableIsEmpty("VELMORAN_SCREENSHOT"))
        desktop.screenshot(qEnvironmentVariable("VELMORAN_SCREENSHOT"));
    QCOMPARE(desktop.close(), 0);
    QVERIFY(desktop.settingsFile().isNull());
}

void TestRealWindow::showsItsMainLine_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<QString>("line");
    QTest::newRow("full screen") << QByteArray() << true << "Nothing to do at 00:00:0";
    for (const QByteArray size : { "66", "120" }) {
        QTest::addRow("full screen at %s px", size.constData())
            << "[ui]\nfullscreenFontSize=" + size + "\n"
            << true << "Nothing to do at 00:00:0";
    }
    QTest::newRow("an 80 px span in the window")
        << QByteArray("[ui]\ncustomText=<span style='font-size: 80px'>Ok</span>\n") << false
        << "Ok at 00:00:0";
}

// Read off the screen: every glyph is drawn, however large.
void TestRealWindow::showsItsMainLine()
{
    QFETCH(QByteArray, settings);
    QFETCH(bool, fullScreen);
    QFETCH(QString, line);
    Desktop desktop;
    if (!settings.isEmpty())
        desktop.writeSettings(settings);
    QVERIFY(desktop.start());
    if (fullScreen) {
        desktop.activate();
        desktop.key("f");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.geometry(), screenRect, 5000);
    }
    // Shrunk, full screen reads only once a tick has drawn the line at its size.
    const int percent = fullScreen ? 25 : 300;
    QString shown;
    // OCR spaces large letters apart.
    const auto read = [&] {
        shown = desktop.readText(percent);
        return shown.simplified().remove(' ').contains(QString(line).remove(' '));
    };
    QVERIFY2(QTest::qWaitFor(read, 10000), qPrintable(shown)); // in real time: a reading is slow
}

void TestRealWindow::desktopsThatPlaceTheWindow_data()
{
    QTest::addColumn<QString>("session"); // the row runs in a session of this kind
    QTest::addColumn<QString>("key"); // pressed as the window shows
    QTest::addColumn<int>("pause"); // seconds for which the window manager is stopped, at once
    QTest::addColumn<bool>("warns");
    QTest::addColumn<bool>("tiled"); // given a size of the desktop's own
    // openbox places the window where the sign asks, ratpoison keeps it where it put it, xmonad
    // grants no full screen, spectrwm tiles it.
    QTest::newRow("openbox") << "x" << QString() << 0 << false << false;
    QTest::newRow("openbox stopped for 3 s") << "x" << QString() << 3 << false << false;
    QTest::newRow("ratpoison") << "ratpoison" << QString() << 0 << true << false;
    QTest::newRow("xmonad") << "xmonad"
                            << "f" << 0 << false << false;
    QTest::newRow("spectrwm") << "spectrwm" << QString() << 0 << true << true;
}

void TestRealWindow::desktopsThatPlaceTheWindow()
{
    QFETCH(QString, session);
    QFETCH(QString, key);
    QFETCH(int, pause);
    QFETCH(bool, warns);
    QFETCH(bool, tiled);
    if (qEnvironmentVariable("VELMORAN_SESSION") != session)
        QSKIP("for a session of that desktop");
    Desktop desktop;
    QVERIFY(desktop.start());
    if (!key.isEmpty())
        desktop.key(key);
    if (pause) {
        const QString manager = runTool("pgrep", { "-x", "openbox" });
        runTool("kill", { "-STOP", manager });
        QTest::qWait(pause * 1000); // in which the desktop answers nothing
        runTool("kill", { "-CONT", manager });
    }
    // The sign holds to a verdict over three spans of its steps: it says so, or never will.
    const auto judgesThrice = [&] {
        const int judged = desktop.spansJudged();
        return QTest::qWaitFor([&] { return desktop.spansJudged() >= judged + 3; }, 15000);
    };
    QVERIFY(judgesThrice());
    QTRY_COMPARE(desktop.findWindow("Platform Warning").isEmpty(), !warns);
    if (warns) {
        desktop.key("Return"); // the warning, which has the focus
        QTRY_VERIFY(desktop.findWindow("Platform Warning").isEmpty());
    }
    if (tiled) {
        // One live copy of the text, in the middle of all that the desktop gave.
        const QRect tile = desktop.geometry();
        QVERIFY(tile.width() > 1000);
        const QPoint middle = QRect(QPoint(), tile.size()).center();
        QTRY_VERIFY_WITH_TIMEOUT(
            (inkOf(desktop.grab()).center() - middle).manhattanLength() < 40, 5000);
        QVERIFY(inkOf(desktop.grab()).width() < 400);
        return;
    }
    if (warns) { // asked again, the desktop keeps the window again, and the sign says no more
        desktop.key("d d");
        QVERIFY(judgesThrice());
        QVERIFY(desktop.findWindow("Platform Warning").isEmpty());
    }
    QCOMPARE(desktop.geometry().size(), QSize(280, 150));
    // Once warned, the sign stops asking to move; a desktop that holds it took each move for a
    // moment.
    QCOMPARE(positionsOver(desktop, 25).size() > 2, !warns);
    if (!warns) {
        const QString shown = desktop.readText();
        QVERIFY2(shown.contains("Nothing to do at 00:00:"), qPrintable(shown));
    }
}

// Caps Lock and Shift leave a letter the same command.
void TestRealWindow::dvdKeyStopsAndRestartsTheMotion()
{
    Desktop desktop;
    QVERIFY(desktop.start());
    desktop.activate();
    desktop.key("Caps_Lock d Caps_Lock");
    QTRY_COMPARE_WITH_TIMEOUT(positionsOver(desktop, 10).size(), 1, 5000);
    desktop.key("shift+d");
    QTRY_VERIFY_WITH_TIMEOUT(positionsOver(desktop, 5).size() > 2, 5000);
    desktop.key("ctrl+d");
    QTest::qWait(100); // time for the key to arrive, and to change nothing
    QVERIFY(positionsOver(desktop, 5).size() > 2);
    QCOMPARE(desktop.close(), 0);
    QVERIFY(desktop.settingsFile().isNull());
}

void TestRealWindow::fullScreenKeyIsReliable_data()
{
    QTest::addColumn<bool>("dvdMode");
    QTest::newRow("DVD mode on") << true;
    QTest::newRow("DVD mode off") << false;
}

// Each press must reach the state it asks for and keep it: no press may be lost to a race
// between the program and the window manager.
void TestRealWindow::fullScreenKeyIsReliable()
{
    QFETCH(bool, dvdMode);
    Desktop desktop;
    QVERIFY(desktop.start());
    desktop.activate();
    if (!dvdMode)
        desktop.key("d");
    for (int round = 0; round < 8; ++round) {
        desktop.key("f");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.geometry(), screenRect, 5000);
        QTest::qWait(300); // and it holds there
        QCOMPARE(desktop.geometry(), screenRect);
        desktop.key("f");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.geometry().size(), QSize(280, 150), 5000);
        QTest::qWait(300); // and it holds there
        QCOMPARE(desktop.geometry().size(), QSize(280, 150));
    }
    QCOMPARE(desktop.close(), 0);
}

void TestRealWindow::textKeyStoresWhatIsTyped()
{
    Desktop desktop;
    QVERIFY(openDialog(desktop, "t", "カスタムテキスト"));
    desktop.key("ctrl+a");
    desktop.type("Meeting");
    desktop.key("Return");
    QTRY_VERIFY_WITH_TIMEOUT(desktop.settingsFile().contains("customText=Meeting"), 5000);
    QVERIFY(desktop.findWindow("カスタムテキスト").isEmpty());
    QCOMPARE(desktop.close(), 0);

    Desktop restarted;
    restarted.writeSettings(desktop.settingsFile());
    QVERIFY(restarted.start());
    const QString shown = restarted.readText();
    QVERIFY2(shown.contains(QStringLiteral("Meeting at 00:00")), qPrintable(shown));
    QCOMPARE(restarted.close(), 0);
}

void TestRealWindow::commentKeyStoresAnEmptyComment()
{
    Desktop desktop;
    QVERIFY(openDialog(desktop, "c", "コメント"));
    desktop.key("ctrl+a BackSpace Return");
    QTRY_VERIFY_WITH_TIMEOUT(desktop.settingsFile().contains("comment=\n"), 5000);
    QVERIFY(desktop.settingsFile().contains("customText=Nothing to do"));
    QCOMPARE(desktop.close(), 0);
}

void TestRealWindow::escapeOnADialogWritesNothing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::newRow("text") << "t"
                          << "カスタムテキスト";
    QTest::newRow("comment") << "c"
                             << "コメント";
    QTest::newRow("speed") << "s"
                           << "DVD Speed Setting";
}

void TestRealWindow::escapeOnADialogWritesNothing()
{
    QFETCH(QString, key);
    QFETCH(QString, title);
    Desktop desktop;
    QVERIFY(openDialog(desktop, key, title));
    desktop.type("42");
    desktop.key("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(desktop.findWindow(title).isEmpty(), 5000);
    QCOMPARE(desktop.close(), 0);
    QVERIFY(desktop.settingsFile().isNull());
}

void TestRealWindow::enterConfirmsTheSpeedDialog()
{
    Desktop desktop;
    QVERIFY(openDialog(desktop, "s", "DVD Speed Setting"));
    desktop.key("Tab Tab Tab"); // from the minimum's slider to the maximum's spin box
    desktop.type("9");
    desktop.key("Return");
    QTRY_VERIFY_WITH_TIMEOUT(desktop.findWindow("DVD Speed Setting").isEmpty(), 5000);
    QVERIFY(desktop.settingsFile().contains("minSpeed=2\n"));
    QVERIFY(desktop.settingsFile().contains("maxSpeed=9\n"));
    QCOMPARE(desktop.close(), 0);
}

void TestRealWindow::contextMenuByKeyboard()
{
    Desktop desktop;
    QVERIFY(!openMenu(desktop).isEmpty());
    desktop.key("Down Down Down Down Return"); // the fourth entry: DVD mode off
    QTRY_VERIFY_WITH_TIMEOUT(desktop.popupMenu().isEmpty(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(positionsOver(desktop, 10).size(), 1, 5000);
    QCOMPARE(desktop.close(), 0);
}

void TestRealWindow::contextMenuByClick()
{
    Desktop desktop;
    const QString menu = openMenu(desktop);
    QVERIFY(!menu.isEmpty());
    const QRect menuRect = desktop.geometry(menu);
    desktop.click(menuRect.topLeft() + QPoint(menuRect.width() / 2, 12)); // the first entry
    QTRY_VERIFY_WITH_TIMEOUT(!desktop.findWindow("カスタムテキスト").isEmpty(), 5000);
    desktop.key("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(desktop.findWindow("カスタムテキスト").isEmpty(), 5000);
    QCOMPARE(desktop.close(), 0);
    QVERIFY(desktop.settingsFile().isNull());
}

void TestRealWindow::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: the sign runs
    QTest::addColumn<QString>("printed");
    QTest::newRow("help") << QStringList { "--help" } << 0
                          << " [options]\nA desktop sign that counts up time.\n";
    QTest::newRow("help with the toolkit's options")
        << QStringList { "--help-all" } << 0 << "--platform <platformName[:options]>";
    QTest::newRow("version") << QStringList { "-v" } << 0 << "Velmoran " VELMORAN_VERSION "\n";
    QTest::newRow("unknown option")
        << QStringList { "--bounce" } << 1 << "Unknown option 'bounce'.";
    QTest::newRow("the toolkit's option")
        << QStringList { "-platform", "offscreen" } << -1 << "MainWindow constructor completed";
    QTest::newRow("the version, with the toolkit's option") << QStringList { "-display",
        qEnvironmentVariable("DISPLAY"), "--version" } << 0 << "Velmoran " VELMORAN_VERSION "\n";
}

// Only a command line that the sign takes shows it; no option of its own changes what it does.
void TestRealWindow::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.start(VELMORAN_BINARY, arguments);
    QByteArray output;
    if (exitCode < 0) {
        QTRY_VERIFY((output += app.readAll()).contains(printed.toUtf8()));
        QCOMPARE(app.state(), QProcess::Running);
        app.kill();
        QVERIFY(app.waitForFinished(5000));
        return;
    }
    QVERIFY(app.waitForFinished(10000));
    output = app.readAll();
    QVERIFY2(output.contains(printed.toUtf8()), output.constData());
    QVERIFY(!output.contains("MainWindow constructor completed")); // no window, not even built
    QCOMPARE(app.exitCode(), exitCode);
}

QTEST_GUILESS_MAIN(TestRealWindow)
#include "tst_realwindow.moc"
