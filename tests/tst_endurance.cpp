#include "testsupport.h"

#include <QContextMenuEvent>
#include <QLabel>
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

class TestEndurance : public WindowTest
{
    Q_OBJECT

private slots:
    void menuAndDialogLeaveNothingBehind();
    void anHourOfCounting();
};

void TestEndurance::menuAndDialogLeaveNothingBehind()
{
    window().show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QStringList before = objectTree(window());

    for (int i = 0; i < 300; ++i) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(200, 200));
        QCOMPARE(answerModal([&] { QApplication::sendEvent(&window(), &event); }), "menu");
        QCOMPARE(answerModal([this] { probe().call("showSettingsDialog"); }), "DVD Speed Setting");
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(objectTree(window()), before);
    QVERIFY(!settings.exists());
}

void TestEndurance::anHourOfCounting()
{
    probe().clockTimer()->stop();
    probe().call("resetTimer");
    QCOMPARE(shownTime(label()), QStringLiteral("00:00:00"));
    for (int second = 1; second <= 3600; ++second) {
        probe().call("updateTimeDisplay");
        const QString expected = QTime(0, 0).addSecs(second).toString(QStringLiteral("hh:mm:ss"));
        QCOMPARE(shownTime(label()), expected);
    }
    QCOMPARE(shownTime(label()), QStringLiteral("01:00:00"));
    QCOMPARE(probe().elapsedSeconds(), 3601);
}

QTEST_MAIN(TestEndurance)
#include "tst_endurance.moc"
