#include "mainwindow.h"
#include "windowsystem.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <utility>

namespace {

const QString waylandWarning
    = QStringLiteral("Running on Wayland. Window positioning may not work properly.\n"
                     "Consider running with: QT_QPA_PLATFORM=xcb ./Velmoran\n"
                     "or use X11 session for full functionality.");
const QString stillDesktopWarning
    = QStringLiteral("This desktop keeps the window where it places it: it cannot bounce here.\n"
                     "Press D twice to ask the desktop again.\n"
                     "For the bouncing, use a desktop that lets windows place themselves,\n"
                     "such as GNOME, KDE Plasma, Xfce, MATE, Cinnamon or i3.");

Q_LOGGING_CATEGORY(lcPlacement, "velmoran.placement", QtWarningMsg)

// The desktop is judged by where it shows the window at the end of each span of this much time
// counted while the window is exposed and asked to move.
constexpr qint64 spanMs = 2000;
// Of a late step, no more counts: the rest was time that the sign was away, off or not shown.
constexpr qint64 longestStepMs = 250;
// Shown where the desktop chose at the end of so many spans running, some six seconds, the window
// is kept there: longer than a user holds it by its title.
constexpr int spansToJudge = 3;
// At least the last 16 s of steps: a window manager back from a pause takes the moves of its
// pause one by one.
constexpr int placesRemembered = 1024;
// The window system may round a place asked for in the window's own units.
constexpr int placeTolerance = 2;
// Where no window is ever asked to go, and far enough from any place to measure the way in an int.
constexpr QPoint nowhere(std::numeric_limits<int>::min() / 4, std::numeric_limits<int>::min() / 4);

void warnOfPlatform(QWidget *window, const QString &text)
{
    QMessageBox::warning(
        window, QStringLiteral("Platform Warning"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

// Left open beside the window, whose close button still ends the sign.
void warnOfStillDesktop(QWidget *window)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Platform Warning"),
        stillDesktopWarning, QMessageBox::Ok, window);
    box->setObjectName(QStringLiteral("stillDesktopWarning"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

// Tells a desktop that keeps the window at a place or in a size of its own (ratpoison and sway put
// it back at their place, spectrwm keeps it in the tile that it gave) from one that places it
// where the steps ask, however late: a desktop that pauses leaves the window at a place asked for,
// and then takes the moves asked meanwhile.
class PlacementWatch : public QObject
{
    Q_OBJECT

public:
    explicit PlacementWatch(QWidget *window)
        : QObject(window)
        , window(window)
    {
        asked.fill(nowhere);
        clock.start();
    }

    bool keepsWindow() const { return kept; }
    // The size of its own that the desktop gave the window, as a tiling one gives a tile.
    bool gaveOtherSize() const { return shown.size() != window->minimumSize(); }
    // True the first time in a run that the window is found kept.
    bool firstVerdict() { return !std::exchange(warned, true); }

    // Notes a step that asks for the window at `target`; true as the desktop is found to keep it.
    bool keptAfterAsking(const QPoint &target)
    {
        const qint64 now = clock.elapsed();
        QWindow *handle = window->windowHandle();
        if (handle && handle->isExposed())
            counted += std::min(now - lastStep, longestStepMs);
        lastStep = now;
        asked[nextAsked] = target;
        nextAsked = (nextAsked + 1) % placesRemembered;
        if (counted < spanMs)
            return false;
        counted = 0;
        judge(shownGeometry(handle));
        return kept;
    }

    // Drops the verdict and its evidence: the desktop is judged afresh.
    void askAgain()
    {
        kept = false;
        spansKept = 0;
        counted = 0;
    }

private:
    bool wasAsked(const QPoint &place) const
    {
        return std::any_of(asked.cbegin(), asked.cend(), [&](const QPoint &target) {
            return (target - place).manhattanLength() <= placeTolerance;
        });
    }

    // Where the desktop shows the window, and in what size, keeps what it was found to be while
    // the window stays there, however long ago the sign asked for that place.
    void judge(const QRect &now)
    {
        if (now != shown) {
            ownGeometry = now.size() != window->minimumSize() || !wasAsked(now.topLeft());
            spansKept = 0;
        }
        shown = now;
        spansKept = ownGeometry ? spansKept + 1 : 0;
        kept = spansKept >= spansToJudge;
        qCDebug(lcPlacement).nospace()
            << "shown at " << shown << (ownGeometry ? ", as the desktop chose" : ", as asked")
            << (kept ? ": the window is kept there" : "");
    }

    QWidget *window;
    QElapsedTimer clock;
    qint64 lastStep = 0;
    qint64 counted = 0; // of this span
    std::array<QPoint, placesRemembered> asked {};
    int nextAsked = 0;
    QRect shown; // at the end of the last span
    bool ownGeometry = false;
    int spansKept = 0;
    bool kept = false;
    bool warned = false;
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
    PlacementWatch *watch = placementWatch(this);
    if (watch->keepsWindow())
        return;
    const QPoint target(static_cast<int>(nx), static_cast<int>(ny));
    if (watch->keptAfterAsking(target)) {
        // A tiling desktop answers each move with the size asked for, though it gave the window a
        // tile of its own; shown afresh, the window learns the tile and fills it.
        if (watch->gaveOtherSize()) {
            hide();
            show();
        }
        if (watch->firstVerdict())
            warnOfStillDesktop(this);
        return;
    }
    move(target);
}

void MainWindow::toggleDVDMode()
{
    dvdModeEnabled = !dvdModeEnabled;
    try {
        if (dvdModeEnabled) {
            placementWatch(this)->askAgain();
            setupDVD();
            moveTimer->start(); // keeps the 16 ms step set at construction
        } else {
            moveTimer->stop();
        }
    } catch (...) {
    }
}

#include "bouncemotion.moc"
