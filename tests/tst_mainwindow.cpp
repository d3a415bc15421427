#include "testsupport.h"

#include <QLabel>
#include <QMetaMethod>

namespace {

QStringList debugMessages;

void collectDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && !context.file && !context.function && context.line == 0)
        debugMessages.append(message);
}

} // namespace

class TestMainWindow : public WindowTest
{
    Q_OBJECT

private slots:
    void classShape();
    void slotOrder();
    void startsAsFixedSmallWindow();
    void firstRenderShowsZero();
    void timersRunFromConstruction();
    void ownsTheKeyboardFocus();
    void logsOneDebugMessage();
    void destructionWritesNothing();
};

void TestMainWindow::classShape()
{
    QCOMPARE(window().metaObject()->className(), "MainWindow");
    QCOMPARE(window().metaObject()->superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(window().qt_metacast("MainWindow"), static_cast<void *>(&window()));
    QCOMPARE(window().metaObject()->propertyCount(), QMainWindow::staticMetaObject.propertyCount());
}

void TestMainWindow::slotOrder()
{
    const QStringList expected { "setupDVD()", "moveDVD()", "updateTimeDisplay()",
        "checkPlatformSupport()", "showCustomTextDialog()", "toggleDVDMode()", "toggleFullscreen()",
        "updateFontSize()", "resetTimer()", "showCommentDialog()", "showSettingsDialog()" };
    const QMetaObject &meta = MainWindow::staticMetaObject;
    QStringList own;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        own.append(QString::fromLatin1(method.methodSignature()));
    }
    QCOMPARE(own, expected);
}

void TestMainWindow::startsAsFixedSmallWindow()
{
    QCOMPARE(window().objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window().windowTitle(), QStringLiteral("Velmoran"));
    QCOMPARE(window().size(), QSize(280, 150));
    QCOMPARE(window().minimumSize(), QSize(280, 150));
    QCOMPARE(window().maximumSize(), QSize(280, 150));
    QVERIFY(!window().menuWidget());
    // The label replaces the form's placeholder, which the toolkit disposes of.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window().findChild<QWidget *>(QStringLiteral("centralwidget")));

    QCOMPARE(window().centralWidget(), label());
    QCOMPARE(label()->alignment(), Qt::AlignCenter);
    QCOMPARE(label()->contentsMargins(), QMargins());
    QVERIFY(!label()->wordWrap());
    QCOMPARE(label()->textFormat(), Qt::AutoText);
    QVERIFY(probe().canPositionWindow());
    QVERIFY(probe().dvdModeEnabled());
}

void TestMainWindow::firstRenderShowsZero()
{
    QVERIFY(label()->text().contains(QStringLiteral("Nothing to do at 00:00:00")));
    QCOMPARE(probe().elapsedSeconds(), 1);
}

void TestMainWindow::timersRunFromConstruction()
{
    QVERIFY(probe().clockTimer()->isActive());
    QCOMPARE(probe().clockTimer()->interval(), 1000);
    QVERIFY(probe().moveTimer()->isActive());
    QVERIFY(!probe().moveTimer()->isSingleShot());
    QCOMPARE(probe().moveTimer()->interval(), 16);
    QCOMPARE(probe().clockTimer()->parent(), &window());
    QCOMPARE(probe().moveTimer()->parent(), &window());
}

void TestMainWindow::ownsTheKeyboardFocus()
{
    QCOMPARE(window().focusPolicy(), Qt::StrongFocus);
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    QCOMPARE(QApplication::focusWidget(), &window());
}

void TestMainWindow::logsOneDebugMessage()
{
    debugMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectDebug);
    {
        MainWindow window;
    }
    qInstallMessageHandler(previous);
    QCOMPARE(debugMessages, QStringList { QStringLiteral("MainWindow constructor completed") });
}

void TestMainWindow::destructionWritesNothing()
{
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QVERIFY(!settings.exists());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
