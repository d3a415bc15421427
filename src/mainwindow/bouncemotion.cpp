#include "mainwindow.h"

#include <QGuiApplication>
#include <QHash>
#include <QMessageBox>
#include <QMoveEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

const QString waylandWarning
    = QStringLiteral("Running on Wayland. Window positioning may not work properly.\n"
                     "Consider running with: QT_QPA_PLATFORM=xcb ./Velmoran\n"
                     "or use X11 session for full functionality.");
const QString stillDesktopWarning
    = QStringLiteral("This desktop keeps the window where it places it: it cannot bounce here.\n"
                     "For the bouncing, use a desktop that lets windows place themselves,\n"
                     "such as GNOME, KDE Plasma, Xfce, MATE, Cinnamon or i3.");

// About two seconds of steps: in each such round, a desktop that keeps the window where it put it
// puts it back there at most steps, one that holds it back now and then, as at a screen edge, at a
// few.
constexpr int stepsPerRound = 120;

void warnOfPlatform(QWidget *window, const QString &text)
{
    QMessageBox::warning(
        window, QStringLiteral("Platform Warning"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

// Tells a desktop that keeps the window at a place of its own from one that places it where the
// steps ask. Such a desktop may take each move for a moment before it puts the window back; a busy
// one places it a few steps late. The window system reports every place as it is taken.
class PlacementWatch : public QObject
{
    Q_OBJECT

public:
    explicit PlacementWatch(QWidget *window)
        : QObject(window)
        , window(window)
    {
    }

    // Notes a step that asked for a move; true once the desktop has put the window back at one
    // place at half the steps of a round, or has told of a new place at few of them.
    bool heldAfterStep()
    {
        if (reporter != window->windowHandle()) { // made as the window is first shown
            reporter = window->windowHandle();
            reporter->installEventFilter(this);
        }
        if (++steps < stepsPerRound)
            return false;
        int all = 0;
        for (const int atPlace : std::as_const(reports))
            all += atPlace;
        const auto most = std::max_element(reports.cbegin(), reports.cend());
        const bool held = all < stepsPerRound / 4 || *most >= stepsPerRound / 2;
        steps = 0;
        reports.clear();
        return held;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move && event->spontaneous())
            ++reports[static_cast<QMoveEvent *>(event)->pos()];
        return false;
    }

private:
    QWidget *window;
    QPointer<QWindow> reporter;
    int steps = 0;
    QHash<QPoint, int> reports; // in this round, by place
};

// The window's watch, made with its first start.
PlacementWatch *placementWatch(QWidget *window)
{
    auto *watch = window->findChild<PlacementWatch *>(QString(), Qt::FindDirectChildrenOnly);
    return watch ? watch : new PlacementWatch(window);
}

// Where the window's corner may travel: from the screen's own corner, which on a desktop of
// several monitors need not be the desktop's origin, over the screen less the window's client area.
QRect travelArea(const QScreen *screen, const QWidget *window)
{
    const QRect geometry = screen->geometry();
    return QRect(geometry.topLeft(), geometry.size() - window->size());
}

// A window that fills its screen on an axis has nowhere to start but the edge.
double startCoordinate(int draw, int edge, int extent)
{
    return edge + (extent >= 1 ? draw % extent + 1 : 0);
}

// Pulls a position back onto edge..edge + extent; true when it reached either end.
bool clampToEdges(double &position, int edge, int extent)
{
    if (position <= edge) {
        position = edge;
        return true;
    }
    const double limit = double(edge) + extent;
    if (position >= limit) {
        position = limit;
        return true;
    }
    return false;
}

} // namespace

void MainWindow::checkPlatformSupport()
{
    canPositionWindow = QGuiApplication::platformName() != QLatin1String("wayland");
    if (!canPositionWindow)
        warnOfPlatform(this, waylandWarning);
}

double MainWindow::randomSpeed()
{
    // An edited settings store can hold any two ints: draw from them in order and in 64 bits.
    const qint64 low = std::min(minSpeed, maxSpeed);
    const qint64 high = std::max(minSpeed, maxSpeed);
    const qint64 base = low + std::rand() % (high - low + 1);
    const double factor = (std::rand() % 21 - 10) / 100.0 + 1.0;
    return std::max(factor * base, 1.0);
}

void MainWindow::setupDVD()
{
    const QRect area = screen ? travelArea(screen, this) : QRect(0, 0, 0, 0);
    placementWatch(this);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    dvdX = startCoordinate(std::rand(), area.left(), area.width());
    dvdY = startCoordinate(std::rand(), area.top(), area.height());
    dvdVelocityX = randomSpeed();
    dvdVelocityY = randomSpeed();
}

void MainWindow::moveDVD()
{
    if (!canPositionWindow || !dvdModeEnabled || !screen)
        return;
    const QRect area = travelArea(screen, this);
    double nx = dvdX + dvdVelocityX;
    double ny = dvdY + dvdVelocityY;
    const bool hitX = clampToEdges(nx, area.left(), area.width());
    const bool hitY = clampToEdges(ny, area.top(), area.height());
    if (hitX) {
        const double speed = randomSpeed();
        dvdVelocityX = nx <= area.left() ? speed : -speed;
    }
    if (hitY) {
        const double speed = randomSpeed();
        dvdVelocityY = ny <= area.top() ? speed : -speed;
    }
    dvdX = nx;
    dvdY = ny;
    // The window manager places a full-screen window; moving it would drop it back to normal.
    if (isFullScreen())
        return;
    const QPoint target(static_cast<int>(nx), static_cast<int>(ny));
    // Only a window on screen, asked to go somewhere new, is placed by the desktop.
    if (isVisible() && !isMinimized() && target != pos() && placementWatch(this)->heldAfterStep()) {
        canPositionWindow = false; // before the warning, whose loop runs further steps
        // A tiling desktop answers each move with the place and size asked for, though it gave the
        // window a tile of its own; shown afresh, the window learns the tile and fills it.
        hide();
        show();
        warnOfPlatform(this, stillDesktopWarning);
        return;
    }
    move(target);
}

void MainWindow::toggleDVDMode()
{
    dvdModeEnabled = !dvdModeEnabled;
    try {
        if (dvdModeEnabled) {
            setupDVD();
            moveTimer->start(); // keeps the 16 ms step set at construction
        } else {
            moveTimer->stop();
        }
    } catch (...) {
    }
}

#include "bouncemotion.moc"
