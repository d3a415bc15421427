#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The sign hands the label every image that its text shows, read by the sign itself; on a
    // high-density screen the label would also look for a "name@2x" file beside each one, and
    // open it on its own.
    qputenv("QT_HIGHDPI_DISABLE_2X_IMAGE_LOADING", "1");
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    return app.exec();
}
