#include "mainwindow.h"
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace {

// The window's object tree as class names, in tree order.
QStringList objectTree(const QObject &root)
{
    QStringList tree;
    for (const QObject *child : root.findChildren<QObject *>())
        tree.append(
            QString::fromLatin1(child->metaObject()->className()) + '/' + child->objectName());
    return tree;
}

QString shownTime(const QLabel *label)
{
    return QRegularExpression(QStringLiteral(" at (\\d+:\\d\\d:\\d\\d)<"))
        .match(label->text())
        .captured(1);
}

} // namespace

class TestEndurance : public QObject
{
    Q_OBJECT

private slots:
    void init() { settings.clear(); }

    void menuAndDialogLeaveNothingBehind();
    void anHourOfCounting();

private:
    ScratchSettings settings;
};

void TestEndurance::menuAndDialogLeaveNothingBehind()
{
    MainWindow window;
    MainWindowProbe probe(window);
    window.show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QStringList before = objectTree(window);

    for (int i = 0; i < 300; ++i) {
        QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(200, 200));
        QApplication::sendEvent(&window, &event);

        const ModalAnswer answer(
            [](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
        probe.call("showSettingsDialog");
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(objectTree(window), before);
    QVERIFY(!settings.exists());
}

void TestEndurance::anHourOfCounting()
{
    MainWindow window;
    MainWindowProbe probe(window);
    probe.clockTimer()->stop();
    probe.call("resetTimer");
    QCOMPARE(shownTime(probe.timeLabel()), QStringLiteral("00:00:00"));
    for (int second = 1; second <= 3600; ++second) {
        probe.call("updateTimeDisplay");
        const QString expected = QTime(0, 0).addSecs(second).toString(QStringLiteral("hh:mm:ss"));
        QCOMPARE(shownTime(probe.timeLabel()), expected);
    }
    QCOMPARE(shownTime(probe.timeLabel()), QStringLiteral("01:00:00"));
    QCOMPARE(probe.elapsedSeconds(), 3601);
}

QTEST_MAIN(TestEndurance)
#include "tst_endurance.moc"
