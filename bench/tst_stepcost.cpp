// The cost of one bounce step and one render, each beside the bare toolkit call at its heart. A
// step counts with the handling of the window system's report of its move, which the sign watches.
// Run with -callgrind under valgrind for instruction counts.
#include "mainwindow.h"
#include "mainwindowprobe.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

class BenchStepCost : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }

    void moveDVD();
    void bareMove();
    void updateTimeDisplay();
    void bareSetText();

private:
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowProbe> probe;
};

void BenchStepCost::init()
{
    window = std::make_unique<MainWindow>();
    probe = std::make_unique<MainWindowProbe>(*window);
    probe->clockTimer()->stop();
    probe->moveTimer()->stop();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void BenchStepCost::moveDVD()
{
    QBENCHMARK
    {
        probe->moveDVD();
        QCoreApplication::processEvents();
    }
}

void BenchStepCost::bareMove()
{
    int x = 0;
    QBENCHMARK
    {
        x = (x + 3) % 1640;
        window->move(x, 100);
        QCoreApplication::processEvents();
    }
}

void BenchStepCost::updateTimeDisplay()
{
    QBENCHMARK
    {
        probe->updateTimeDisplay();
    }
}

void BenchStepCost::bareSetText()
{
    int n = 0;
    QBENCHMARK
    {
        probe->timeLabel()->setText(
            QStringLiteral("<div style='font-size: 18px; font-weight: bold;'>Nothing to do at "
                           "00:00:%1</div><div style='font-size: 14px; font-weight: "
                           "bold;'>...</div>")
                .arg(++n % 60, 2, 10, QLatin1Char('0')));
        probe->timeLabel()->sizeHint(); // a render lays its text out at once
    }
}

QTEST_MAIN(BenchStepCost)
#include "tst_stepcost.moc"
