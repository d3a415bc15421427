// What a text's images cost the window as the text is first shown, each beside the default text:
// the longest pause of the motion while the text is confirmed in its dialog, and the time that
// the window takes to show it at start. Medians of a few rounds, in milliseconds of wall time.
#include "showntext.h"
#include "slowgif.h"
#include "testsupport.h"

#include <QBuffer>
#include <QInputDialog>

#include <unistd.h>

namespace {

constexpr int rounds = 5;

// The event loop for a while, as the program's own runs it: the test library's waits nap between
// rounds of events, and would delay the motion's steps themselves.
void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The text that names images of the kind in the folder, each file of its own.
QString imagesText(const QTemporaryDir &scratch, int count, const QByteArray &content)
{
    QString text;
    for (int i = 0; i < count; ++i) {
        QFile file(scratch.filePath(QStringLiteral("%1.img").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("tst_firstshow: cannot write %s", qPrintable(file.fileName()));
        text += QStringLiteral("<img src=\"%1\">").arg(file.fileName());
    }
    // Written out, so that storing the settings as the dialog is confirmed does not wait for it.
    ::sync();
    return text + QStringLiteral(" Lunch");
}

QByteArray pngIcon()
{
    QImage icon(32, 32, QImage::Format_RGB32);
    icon.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "png");
    return png;
}

} // namespace

class BenchFirstShow : public QObject
{
    Q_OBJECT

private slots:
    void confirmPause_data();
    void confirmPause();
    void firstShow_data();
    void firstShow();

private:
    ScratchSettings settings;
};

void BenchFirstShow::confirmPause_data()
{
    QTest::addColumn<int>("icons");
    QTest::newRow("default text") << 0;
    QTest::newRow("four icons, each spending the decoding budget") << 4;
}

// The motion steps every 16 ms; the longest gap between two steps from just before OK is pressed
// until the window has shown the new text.
void BenchFirstShow::confirmPause()
{
    QFETCH(int, icons);
    const QByteArray gif = slowGif();
    QList<double> pauses;
    for (int round = 0; round < rounds; ++round) {
        const QTemporaryDir scratch;
        const QString text
            = icons ? imagesText(scratch, icons, gif) : QStringLiteral("Nothing to do");
        MainWindow window;
        MainWindowProbe probe(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QElapsedTimer clock;
        clock.start();
        QList<qint64> steps;
        connect(probe.moveTimer(), &QTimer::timeout, [&] { steps.append(clock.elapsed()); });
        qint64 confirmed = 0;
        answerModal<QInputDialog>([&] { probe.call("showCustomTextDialog"); },
            [&](QInputDialog *input) {
                runEvents(100); // the motion before
                input->setTextValue(text);
                confirmed = clock.elapsed();
                input->accept();
            });
        runEvents(300); // the motion after
        qint64 longest = 0;
        for (qsizetype i = 1; i < steps.size(); ++i) {
            if (steps[i] >= confirmed)
                longest = std::max(longest, steps[i] - steps[i - 1]);
        }
        pauses.append(longest);
    }
    QTest::setBenchmarkResult(median(pauses), QTest::WalltimeMilliseconds);
}

void BenchFirstShow::firstShow_data()
{
    QTest::addColumn<bool>("icon");
    QTest::newRow("default text") << false;
    QTest::newRow("a 32x32 PNG icon on a local disk") << true;
}

// As the window's constructor shows its text: describes it, then renders it.
void BenchFirstShow::firstShow()
{
    QFETCH(bool, icon);
    const QByteArray png = pngIcon();
    MainWindow window;
    MainWindowProbe probe(window);
    probe.clockTimer()->stop();
    probe.moveTimer()->stop();
    QList<double> costs;
    for (int round = 0; round < rounds; ++round) {
        const QTemporaryDir scratch;
        const QString text = icon ? imagesText(scratch, 1, png) : QStringLiteral("Nothing to do");
        probe.customText() = text;
        QElapsedTimer clock;
        clock.start();
        describeSign(&window, text, QStringLiteral("..."));
        probe.updateTimeDisplay();
        costs.append(clock.nsecsElapsed() / 1e6);
    }
    QTest::setBenchmarkResult(median(costs), QTest::WalltimeMilliseconds);
}

QTEST_MAIN(BenchFirstShow)
#include "tst_firstshow.moc"
