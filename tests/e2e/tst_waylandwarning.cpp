#include "testsupport.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace {

bool anyMainWindowVisible()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
        [](QWidget *w) { return qobject_cast<MainWindow *>(w) && w->isVisible(); });
}

} // namespace

// The window under a real Wayland compositor, where a program cannot place its own window.
class TestWaylandWarning : public WindowTest
{
    Q_OBJECT

private slots:
    void warnsOnceBeforeTheWindowAndNeverMoves();
};

void TestWaylandWarning::warnsOnceBeforeTheWindowAndNeverMoves()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool parentIsMainWindow = false;
    bool mainWindowVisible = true;
    const QString warnings = answerModal<QMessageBox>([this] { window(); },
        [&](QMessageBox *box) {
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            parentIsMainWindow = qobject_cast<MainWindow *>(box->parentWidget()) != nullptr;
            mainWindowVisible = anyMainWindowVisible();
            box->button(QMessageBox::Ok)->click();
        });
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    const QPoint position = window().pos();
    const auto standsStill = [this] {
        const QPointF start(probe().dvdX(), probe().dvdY());
        QTest::qWait(300); // some twenty steps' time, in which nothing may move
        return QPointF(probe().dvdX(), probe().dvdY()) == start;
    };
    QVERIFY(standsStill());
    // D still switches the mode and the timer; a fresh start is drawn but never reached.
    const QString laterWarnings = answerModal([&] {
        QTest::keyClick(&window(), Qt::Key_D);
        QVERIFY(!probe().dvdModeEnabled());
        QTest::keyClick(&window(), Qt::Key_D);
    });
    QCOMPARE(laterWarnings, QString());
    QVERIFY(probe().dvdModeEnabled());
    QVERIFY(probe().moveTimer()->isActive());
    QVERIFY(standsStill());

    QCOMPARE(warnings, QStringLiteral("Platform Warning")); // once, and nothing else
    QCOMPARE(text,
        QStringLiteral("Running on Wayland. Window positioning may not work properly.\n"
                       "Consider running with: QT_QPA_PLATFORM=xcb ./Velmoran\n"
                       "or use X11 session for full functionality."));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(parentIsMainWindow);
    QVERIFY(!mainWindowVisible);

    QVERIFY(!probe().canPositionWindow());
    QCOMPARE(window().pos(), position);
}

QTEST_MAIN(TestWaylandWarning)
#include "tst_waylandwarning.moc"
