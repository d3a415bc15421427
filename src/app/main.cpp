#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The sign judges every image file that its text names before showing it; on a high-density
    // screen the toolkit would also read a "name@2x" file beside each one, unjudged.
    qputenv("QT_HIGHDPI_DISABLE_2X_IMAGE_LOADING", "1");
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    return app.exec();
}
