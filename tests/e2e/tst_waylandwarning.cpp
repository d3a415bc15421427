#include "mainwindow.h"
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {

struct SeenWarning
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool parentIsMainWindow = false;
    bool mainWindowVisible = true;
};

bool anyMainWindowVisible()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
        [](QWidget *w) { return qobject_cast<MainWindow *>(w) && w->isVisible(); });
}

} // namespace

// The window under a real Wayland compositor, where a program cannot place its own window.
class TestWaylandWarning : public QObject
{
    Q_OBJECT

private slots:
    void warnsOnceBeforeTheWindowAndNeverMoves();

private:
    ScratchSettings settings;
};

void TestWaylandWarning::warnsOnceBeforeTheWindowAndNeverMoves()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QList<SeenWarning> warnings;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&warnings] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        warnings.append({ box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
            qobject_cast<MainWindow *>(box->parentWidget()) != nullptr, anyMainWindowVisible() });
        box->button(QMessageBox::Ok)->click();
    });
    watcher.start(20);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MainWindowProbe probe(window);
    const QPoint position = window.pos();
    const auto standsStill = [&probe] {
        const QPointF start(probe.dvdX(), probe.dvdY());
        QTest::qWait(300);
        return QPointF(probe.dvdX(), probe.dvdY()) == start;
    };
    QVERIFY(standsStill());
    // D still switches the mode and the timer; a fresh start is drawn but never reached.
    QTest::keyClick(&window, Qt::Key_D);
    QVERIFY(!probe.dvdModeEnabled());
    QTest::keyClick(&window, Qt::Key_D);
    QVERIFY(probe.dvdModeEnabled());
    QVERIFY(probe.moveTimer()->isActive());
    QVERIFY(standsStill());

    QCOMPARE(warnings.size(), 1);
    const SeenWarning &warning = warnings.first();
    QCOMPARE(warning.title, QStringLiteral("Platform Warning"));
    QCOMPARE(warning.text,
        QStringLiteral("Running on Wayland. Window positioning may not work properly.\n"
                       "Consider running with: QT_QPA_PLATFORM=xcb ./Velmoran\n"
                       "or use X11 session for full functionality."));
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QCOMPARE(warning.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(warning.parentIsMainWindow);
    QVERIFY(!warning.mainWindowVisible);

    QVERIFY(!probe.canPositionWindow());
    QCOMPARE(window.pos(), position);
}

QTEST_MAIN(TestWaylandWarning)
#include "tst_waylandwarning.moc"
