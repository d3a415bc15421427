// The floor for a bouncing sign: the bare label, re-rendered with an HH:MM:SS counter every
// second and moved with an edge bounce every 16 ms, written as plainly as Qt allows.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include <cstdlib>
#include <ctime>

namespace {

double speed()
{
    return 2 + std::rand() % 3;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFixedSize(280, 150);
    window.setWindowTitle(QStringLiteral("Bare bounce"));
    auto *label = new QLabel(&window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);

    int elapsed = 0;
    const auto render = [&] {
        label->setText(QStringLiteral("<div style='font-size: 18px; font-weight: bold;'>Nothing to "
                                      "do at %1:%2:%3</div><div style='font-size: 14px; "
                                      "font-weight: bold;'>...</div>")
                           .arg(elapsed / 3600, 2, 10, QLatin1Char('0'))
                           .arg(elapsed % 3600 / 60, 2, 10, QLatin1Char('0'))
                           .arg(elapsed % 60, 2, 10, QLatin1Char('0')));
        ++elapsed;
    };
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, render);
    clock.start(1000);
    render();

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const QSize room = QGuiApplication::primaryScreen()->size() - window.size();
    double x = 1 + std::rand() % room.width(), y = 1 + std::rand() % room.height();
    double dx = speed(), dy = speed();
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        x += dx;
        y += dy;
        if (x <= 0 || x >= room.width()) {
            x = qBound(0.0, x, double(room.width()));
            dx = x <= 0 ? speed() : -speed();
        }
        if (y <= 0 || y >= room.height()) {
            y = qBound(0.0, y, double(room.height()));
            dy = y <= 0 ? speed() : -speed();
        }
        window.move(int(x), int(y));
    });
    step.start(16);

    window.show();
    return app.exec();
}
