#include "testsupport.h"

#include <QMessageBox>
#include <QMoveEvent>
#include <QScreen>
#include <QTimer>
#include <qpa/qplatformscreen.h>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// The speed the window should draw from a range, given the two numbers it takes.
double expectedSpeed(qint64 low, qint64 high, int baseDraw, int variationDraw)
{
    const qint64 base = low + baseDraw % (high - low + 1);
    const double x = ((variationDraw % 21) - 10) / 100.0 + 1.0;
    return std::max(x * base, 1.0);
}

// A screen of a given size that tests can plug in and pull out.
class FakeScreen : public QPlatformScreen
{
public:
    explicit FakeScreen(const QRect &geometry)
        : rect(geometry)
    {
    }
    QRect geometry() const override { return rect; }
    int depth() const override { return 32; }
    QImage::Format format() const override { return QImage::Format_ARGB32_Premultiplied; }

private:
    QRect rect;
};

// Makes a screen of the given place and size the primary one while it lives.
class PrimaryScreen
{
public:
    explicit PrimaryScreen(const QRect &geometry)
        : platformScreen(new FakeScreen(geometry))
    {
        QWindowSystemInterface::handleScreenAdded(platformScreen, true);
    }
    ~PrimaryScreen() { QWindowSystemInterface::handleScreenRemoved(platformScreen); }

private:
    FakeScreen *platformScreen;
};

// Where the window's corner may go on each screen: the same from its own corner.
void primaryScreenPlacements()
{
    QTest::addColumn<QRect>("screen");
    QTest::newRow("at the origin") << QRect(0, 0, 1024, 768);
    QTest::newRow("right of a laptop panel") << QRect(1920, 0, 1024, 768);
    QTest::newRow("above and left of the origin") << QRect(-1280, -200, 1280, 1024);
}

// Runs setupDVD within one second and hands over the six numbers that it should have drawn.
template<typename Check> void replayStart(MainWindowProbe &probe, Check check)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        probe.call("setupDVD");
        if (std::time(nullptr) == before) // else a second boundary fell in between: try again
            return check(randomDraws(static_cast<unsigned>(before), 6));
    }
    QFAIL("no setupDVD fell within one second");
}

void stage(MainWindowProbe &probe, QPointF position, QPointF velocity)
{
    probe.dvdX() = position.x();
    probe.dvdY() = position.y();
    probe.dvdVelocityX() = velocity.x();
    probe.dvdVelocityY() = velocity.y();
}

// How a desktop answers the window's moves, after the steps that ask, as a window system does.
enum class Answer { Follows, PutsBack, Tiles, PausesThenTakesAll };
int spansJudged = 0; // as the sign logs them

struct Desktop : QObject
{
    Desktop(QWidget *window, Answer answer)
        : answer(answer)
        , window(window)
    {
        window->installEventFilter(this);
        window->windowHandle()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        hides += watched == window && event->type() == QEvent::Hide;
        if (watched == window || event->type() != QEvent::Move)
            return false;
        const QPoint at = static_cast<QMoveEvent *>(event)->pos();
        const bool pausing = answer == Answer::PausesThenTakesAll;
        if (pausing && pause.hasExpired()) {
            answer = Answer::Follows; // and takes the moves of its pause one by one
            for (const QPoint &asked : std::as_const(held))
                tell(asked);
        } else if (pausing && (held.isEmpty() || at != held.first())) {
            held.append(at);
            tell(held.first()); // where the pause found the window
        } else if (answer != Answer::Follows && !pausing && at != QPoint(100, 100)) {
            tell(QPoint(100, 100)); // its own place
        }
        return false;
    }

    void tell(QPoint at)
    {
        const QSize size = answer == Answer::Tiles ? QSize(600, 400) : window->size();
        QWindowSystemInterface::handleGeometryChange(window->windowHandle(), QRect(at, size));
    }

    Answer answer;
    QWidget *window;
    int hides = 0;
    QDeadlineTimer pause { 3000 };
    QList<QPoint> held;
};

void countSpans(QtMsgType, const QMessageLogContext &context, const QString &)
{
    spansJudged += qstrcmp(context.category, "velmoran.placement") == 0;
}

} // namespace

class TestBounceMotion : public WindowTest
{
    Q_OBJECT

private slots:
    void speedDrawReplays_data();
    void speedDrawReplays();
    void speedsStayWithinRange_data();
    void speedsStayWithinRange();
    void startReplaysFromTheSecond_data() { primaryScreenPlacements(); }
    void startReplaysFromTheSecond();
    void startWithoutRoomDoesNotDivideByZero();
    void step_data();
    void step();
    void fractionsAccumulate();
    void cornerHitDrawsXThenY();
    void stepsStayOnScreen_data() { primaryScreenPlacements(); }
    void stepsStayOnScreen();
    void fullScreenStepsPinToCorner();
    void noStepWhenPositioningIsImpossible_data();
    void noStepWhenPositioningIsImpossible();
    void toggleStopsAndRestartsWithNewStart();
    void followsThePrimaryScreen();
    void platformCheckAcceptsOffscreen();
    void placementWatch_data();
    void placementWatch();
};

void TestBounceMotion::speedDrawReplays_data()
{
    QTest::addColumn<int>("minSpeed");
    QTest::addColumn<int>("maxSpeed");
    QTest::newRow("defaults") << 2 << 4;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("extreme") << 50 << 100;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative") << -9 << -3;
}

// Two numbers per speed, base first: the sequence of a run depends on it.
void TestBounceMotion::speedDrawReplays()
{
    QFETCH(int, minSpeed);
    QFETCH(int, maxSpeed);
    probe().minSpeed() = minSpeed;
    probe().maxSpeed() = maxSpeed;
    const QList<int> draws = randomDraws(4242, 6);
    std::srand(4242);
    for (int i = 0; i < 6; i += 2)
        QCOMPARE(probe().randomSpeed(), expectedSpeed(minSpeed, maxSpeed, draws[i], draws[i + 1]));
}

void TestBounceMotion::speedsStayWithinRange_data()
{
    QTest::addColumn<int>("minSpeed");
    QTest::addColumn<int>("maxSpeed");
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::newRow("defaults") << 2 << 4 << 1.8 << 4.4;
    QTest::newRow("one") << 1 << 1 << 1.0 << 1.1;
    QTest::newRow("hundred") << 100 << 100 << 90.0 << 110.0;
    QTest::newRow("stored unordered") << 10 << 5 << 4.5 << 11.0;
    QTest::newRow("stored zero") << 0 << 0 << 1.0 << 1.0;
    QTest::newRow("stored negative") << -50 << -10 << 1.0 << 1.0;
    QTest::newRow("int limits") << intMin << intMax << 1.0 << intMax * 1.1;
    QTest::newRow("int limits reversed") << intMax << intMin << 1.0 << intMax * 1.1;
    QTest::newRow("top of int") << intMax << intMax << intMax * 0.9 << intMax * 1.1;
}

void TestBounceMotion::speedsStayWithinRange()
{
    QFETCH(int, minSpeed);
    QFETCH(int, maxSpeed);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    probe().minSpeed() = minSpeed;
    probe().maxSpeed() = maxSpeed;
    std::srand(7);
    int atFloor = 0;
    for (int i = 0; i < 2000; ++i) {
        const double speed = probe().randomSpeed();
        // Bounds written as decimals differ from the draw's products in the last bit.
        QVERIFY2(speed >= lowest * (1 - 1e-12) && speed <= highest * (1 + 1e-12),
            qPrintable(QString::number(speed)));
        atFloor += speed == 1.0;
    }
    if (minSpeed == 1 && maxSpeed == 1) // 11 of the 21 variations fall to the floor
        QVERIFY(atFloor > 2000 * 11 / 21 - 150 && atFloor < 2000 * 11 / 21 + 150);
}

// Six numbers from a generator seeded with the second: x, y, then two per speed. On a screen
// away from the origin the same draws give the same place, shifted by the screen's corner.
void TestBounceMotion::startReplaysFromTheSecond()
{
    QFETCH(QRect, screen);
    const PrimaryScreen primary(screen);
    const QRect area(screen.topLeft(), screen.size() - QSize(280, 150));
    settings.write({ { "dvd/minSpeed", 3 }, { "dvd/maxSpeed", 9 } });
    replayStart(probe(), [&](const QList<int> &draws) {
        QCOMPARE(probe().dvdX(), double(area.left() + draws[0] % area.width() + 1));
        QCOMPARE(probe().dvdY(), double(area.top() + draws[1] % area.height() + 1));
        QCOMPARE(probe().dvdVelocityX(), expectedSpeed(3, 9, draws[2], draws[3]));
        QCOMPARE(probe().dvdVelocityY(), expectedSpeed(3, 9, draws[4], draws[5]));
    });
    // Speeds start positive: a start within one step of the far edge stops on that edge.
    const QPointF first(std::min(probe().dvdX() + probe().dvdVelocityX(), area.right() + 1.0),
        std::min(probe().dvdY() + probe().dvdVelocityY(), area.bottom() + 1.0));
    probe().call("moveDVD");
    QCOMPARE(window().pos(), QPoint(int(first.x()), int(first.y())));
}

void TestBounceMotion::startWithoutRoomDoesNotDivideByZero()
{
    goFullScreen();
    // The draw order holds: the speeds still come from the third to sixth numbers.
    replayStart(probe(), [this](const QList<int> &draws) {
        QCOMPARE(probe().dvdX(), 0.0);
        QCOMPARE(probe().dvdY(), 0.0);
        QCOMPARE(probe().dvdVelocityX(), expectedSpeed(2, 4, draws[2], draws[3]));
        QCOMPARE(probe().dvdVelocityY(), expectedSpeed(2, 4, draws[4], draws[5]));
    });
}

void TestBounceMotion::step_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("velocity");
    QTest::addColumn<double>("nextX");
    QTest::addColumn<int>("direction"); // 0: velocity kept; +1/-1: redrawn with this sign
    QTest::newRow("free flight") << 100.25 << 3.5 << 103.75 << 0;
    QTest::newRow("past the right edge") << 1639.5 << 3.2 << 1640.0 << -1;
    QTest::newRow("exactly on the right edge") << 1637.0 << 3.0 << 1640.0 << -1;
    QTest::newRow("past the left edge") << 1.5 << -2.0 << 0.0 << +1;
    QTest::newRow("exactly on the left edge") << 3.0 << -3.0 << 0.0 << +1;
    QTest::newRow("away from the right edge") << 1640.0 << -2.5 << 1637.5 << 0;
    QTest::newRow("away from the left edge") << 0.0 << 2.5 << 2.5 << 0;
}

void TestBounceMotion::step()
{
    QFETCH(double, x);
    QFETCH(double, velocity);
    QFETCH(double, nextX);
    QFETCH(int, direction);
    stage(probe(), { x, 400.5 }, { velocity, 1.25 });
    probe().call("moveDVD");
    QCOMPARE(probe().dvdX(), nextX);
    QCOMPARE(probe().dvdY(), 401.75);
    QCOMPARE(window().pos(), QPoint(int(nextX), 401));
    QCOMPARE(probe().dvdVelocityY(), 1.25);
    if (direction == 0) {
        QCOMPARE(probe().dvdVelocityX(), velocity);
    } else {
        QVERIFY(probe().dvdVelocityX() * direction >= expectedSpeed(2, 4, 0, 0));
        QVERIFY(probe().dvdVelocityX() * direction <= expectedSpeed(2, 4, 2, 20));
    }
}

void TestBounceMotion::fractionsAccumulate()
{
    stage(probe(), { 10.0, 10.0 }, { 2.16, 1.0 });
    const QList<int> expected { 12, 14, 16 };
    for (int x : expected) {
        probe().call("moveDVD");
        QCOMPARE(window().x(), x);
    }
    QCOMPARE(probe().dvdX(), 10.0 + 2.16 + 2.16 + 2.16);
}

void TestBounceMotion::cornerHitDrawsXThenY()
{
    stage(probe(), { 1639.0, 929.0 }, { 2.0, 2.0 });
    const QList<int> draws = randomDraws(99, 4);
    std::srand(99);
    probe().call("moveDVD");
    QCOMPARE(window().pos(), QPoint(1640, 930));
    QCOMPARE(probe().dvdVelocityX(), -expectedSpeed(2, 4, draws[0], draws[1]));
    QCOMPARE(probe().dvdVelocityY(), -expectedSpeed(2, 4, draws[2], draws[3]));
}

void TestBounceMotion::stepsStayOnScreen()
{
    QFETCH(QRect, screen);
    const PrimaryScreen primary(screen);
    const QRect area(screen.topLeft(), screen.size() - QSize(280, 150));
    settings.write({ { "dvd/minSpeed", 50 }, { "dvd/maxSpeed", 100 } });
    QVERIFY(probe().dvdX() >= area.left() + 1 && probe().dvdX() <= area.right() + 1);
    QVERIFY(probe().dvdY() >= area.top() + 1 && probe().dvdY() <= area.bottom() + 1);
    const QRect onScreen = area.adjusted(0, 0, 1, 1); // both edges of the travel included
    bool sawLeft = false, sawRight = false;
    for (int i = 0; i < 3000; ++i) {
        probe().call("moveDVD");
        QVERIFY(onScreen.contains(window().pos()));
        sawLeft |= window().x() == area.left();
        sawRight |= window().x() == onScreen.right();
    }
    QVERIFY(sawLeft && sawRight);
}

void TestBounceMotion::fullScreenStepsPinToCorner()
{
    goFullScreen();
    probe().dvdVelocityX() = -2.0;
    probe().dvdVelocityY() = -3.0;
    for (int i = 0; i < 20; ++i) {
        probe().call("moveDVD");
        QCOMPARE(probe().dvdX(), 0.0);
        QCOMPARE(probe().dvdY(), 0.0);
        QVERIFY(probe().dvdVelocityX() > 0 && probe().dvdVelocityY() > 0);
        QVERIFY(window().isFullScreen());
        QCOMPARE(window().pos(), QPoint(0, 0));
    }
}

void TestBounceMotion::noStepWhenPositioningIsImpossible_data()
{
    QTest::addColumn<bool>("canPosition");
    QTest::addColumn<bool>("dvdMode");
    QTest::addColumn<bool>("hasScreen");
    QTest::newRow("platform cannot place windows") << false << true << true;
    QTest::newRow("DVD mode off") << true << false << true;
    QTest::newRow("no screen") << true << true << false;
}

void TestBounceMotion::noStepWhenPositioningIsImpossible()
{
    QFETCH(bool, canPosition);
    QFETCH(bool, dvdMode);
    QFETCH(bool, hasScreen);
    probe().canPositionWindow() = canPosition;
    probe().dvdModeEnabled() = dvdMode;
    if (!hasScreen)
        probe().screen() = nullptr;
    window().move(33, 44);
    const double x = probe().dvdX();
    for (int i = 0; i < 10; ++i)
        probe().call("moveDVD");
    QCOMPARE(window().pos(), QPoint(33, 44));
    QCOMPARE(probe().dvdX(), x);
    if (!hasScreen) {
        probe().call("setupDVD");
        QCOMPARE(probe().dvdX(), 0.0);
    }
}

void TestBounceMotion::toggleStopsAndRestartsWithNewStart()
{
    probe().call("moveDVD");
    const QPoint stoppedAt = window().pos();

    probe().call("toggleDVDMode");
    QVERIFY(!probe().dvdModeEnabled());
    QVERIFY(!probe().moveTimer()->isActive());
    QTest::qWait(100); // a few steps' time, in which nothing may move
    QCOMPARE(window().pos(), stoppedAt);

    probe().dvdX() = -1;
    probe().call("toggleDVDMode");
    QVERIFY(probe().dvdModeEnabled());
    QVERIFY(probe().moveTimer()->isActive());
    QCOMPARE(probe().moveTimer()->interval(), 16);
    QVERIFY(probe().dvdX() >= 1 && probe().dvdX() <= 1640);
    QVERIFY(!settings.exists());
}

// Screens come and go through the same interface that the platform plugins use.
void TestBounceMotion::followsThePrimaryScreen()
{
    window(); // on the screen that is primary now
    QScreen *original = QGuiApplication::primaryScreen();
    {
        const PrimaryScreen added(QRect(0, 0, 1000, 700));
        QVERIFY(QGuiApplication::primaryScreen() != original);
        QCOMPARE(probe().screen(), QGuiApplication::primaryScreen());
        for (int i = 0; i < 500; ++i) {
            probe().call("moveDVD");
            QVERIFY(window().x() <= 720 && window().y() <= 550);
        }
    }
    QCOMPARE(probe().screen(), original);
    probe().call("moveDVD");
    probe().call("setupDVD");
}

void TestBounceMotion::platformCheckAcceptsOffscreen()
{
    probe().canPositionWindow() = false;
    probe().call("checkPlatformSupport");
    QVERIFY(probe().canPositionWindow());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBounceMotion::placementWatch_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("maxSpeed");
    QTest::addColumn<bool>("kept");
    QTest::newRow("follows") << Answer::Follows << 4 << false;
    QTest::newRow("follows across the screen at each step") << Answer::Follows << intMax << false;
    QTest::newRow("puts it back at one place") << Answer::PutsBack << 4 << true;
    QTest::newRow("keeps it in a tile") << Answer::Tiles << 4 << true;
    QTest::newRow("answers nothing for 3 s, then follows")
        << Answer::PausesThenTakesAll << 4 << false;
}

// The sign holds to a verdict over three spans of its steps: it warns then, or never.
void TestBounceMotion::placementWatch()
{
    QFETCH(Answer, answer);
    QFETCH(int, maxSpeed);
    QFETCH(bool, kept);
    // The window system's answers as they come, after the steps that ask.
    QWindowSystemInterface::setSynchronousWindowSystemEvents(false);
    const auto synchronous
        = qScopeGuard([] { QWindowSystemInterface::setSynchronousWindowSystemEvents(true); });
    settings.write({ { "dvd/maxSpeed", maxSpeed } });
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    Desktop desktop(&window(), answer);
    QLoggingCategory::setFilterRules("velmoran.placement.debug=true");
    const QtMessageHandler before = qInstallMessageHandler(countSpans);
    const auto restore = qScopeGuard([&] { qInstallMessageHandler(before); });
    const auto warnings = [this] {
        return window().findChildren<QMessageBox *>("stillDesktopWarning").size();
    };
    for (const bool askedAgain : { false, true }) {
        spansJudged = 0;
        QTRY_VERIFY_WITH_TIMEOUT(spansJudged >= 3, 15000);
        QTRY_COMPARE(warnings(), kept ? 1 : 0);
        QCOMPARE(desktop.hides, answer == Answer::Tiles ? 1 : 0);
        const QPoint at = window().pos();
        QTRY_COMPARE(window().pos() != at, !kept || askedAgain);
        if (askedAgain) { // the warning still open, the window's close button ends the sign
            QWindowSystemInterface::handleCloseEvent(window().windowHandle());
            QTRY_VERIFY(!window().isVisible());
        }
        if (!kept || askedAgain)
            return;
        desktop.answer = Answer::Follows; // D, D: the desktop is asked again, and now follows
        probe().call("toggleDVDMode");
        probe().call("toggleDVDMode");
    }
}

QTEST_MAIN(TestBounceMotion)
#include "tst_bouncemotion.moc"
