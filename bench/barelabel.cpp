// The floor: a bare 280x150 main window whose label shows a fixed two-line rich text.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFixedSize(280, 150);
    window.setWindowTitle(QStringLiteral("Bare label"));
    auto *label = new QLabel(
        QStringLiteral("<div style='font-size: 18px; font-weight: bold;'>Nothing to do at "
                       "00:00:00</div><div style='font-size: 14px; font-weight: bold;'>...</div>"),
        &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.show();
    return app.exec();
}
