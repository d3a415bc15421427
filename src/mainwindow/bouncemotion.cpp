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

// How far the window can travel on each axis: the screen less the window's own client area.
QSize freeExtent(const QScreen *screen, const QWidget *window)
{
    return screen->geometry().size() - window->size();
}

// A window that fills its screen on an axis has nowhere to start but the edge.
double startCoordinate(int draw, int extent)
{
    return extent >= 1 ? draw % extent + 1 : 0;
}

// Pulls a position back onto 0..extent; true when it reached an edge.
bool clampToEdges(double &position, int extent)
{
    if (position <= 0) {
        position = 0;
        return true;
    }
    const double limit = extent;
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
    const QSize extent = screen ? freeExtent(screen, this) : QSize(0, 0);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    dvdX = startCoordinate(std::rand(), extent.width());
    dvdY = startCoordinate(std::rand(), extent.height());
    dvdVelocityX = randomSpeed();
    dvdVelocityY = randomSpeed();
}

void MainWindow::moveDVD()
{
    if (!canPositionWindow || !dvdModeEnabled || !screen)
        return;
    const QSize extent = freeExtent(screen, this);
    double nx = dvdX + dvdVelocityX;
    double ny = dvdY + dvdVelocityY;
    const bool hitX = clampToEdges(nx, extent.width());
    const bool hitY = clampToEdges(ny, extent.height());
    if (hitX) {
        const double speed = randomSpeed();
        dvdVelocityX = nx <= 0 ? speed : -speed;
    }
    if (hitY) {
        const double speed = randomSpeed();
        dvdVelocityY = ny <= 0 ? speed : -speed;
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
