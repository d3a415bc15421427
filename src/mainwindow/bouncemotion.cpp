#include "mainwindow.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

const QString waylandWarning
    = QStringLiteral("Running on Wayland. Window positioning may not work properly.\n"
                     "Consider running with: QT_QPA_PLATFORM=xcb ./Velmoran\n"
                     "or use X11 session for full functionality.");

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
    if (canPositionWindow)
        return;
    QMessageBox::warning(this, QStringLiteral("Platform Warning"), waylandWarning, QMessageBox::Ok,
        QMessageBox::NoButton);
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
    if (!isFullScreen())
        move(static_cast<int>(nx), static_cast<int>(ny));
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
