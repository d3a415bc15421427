#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

// Whether the command line asks only for help or for the version, where the environment names
// no display. The toolkit reaches for one first, and is then started on none, so that they answer
// in any terminal; with a display, its own options, such as -display, are taken as ever.
bool onlyAnswers(QCommandLineParser &parser, int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    parser.parse(arguments); // the toolkit's own options are still among them: errors don't count
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))
        || parser.isSet(QStringLiteral("version"));
}

} // namespace

int main(int argc, char *argv[])
{
    // The sign hands the label every image that its text shows, read by the sign itself; on a
    // high-density screen the label would also look for a "name@2x" file beside each one, and
    // open it on its own.
    qputenv("QT_HIGHDPI_DISABLE_2X_IMAGE_LOADING", "1");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A desktop sign that counts up time."));
    // A word after a single dash is one of the toolkit's options, such as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    if (onlyAnswers(parser, argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(VELMORAN_VERSION));
    parser.process(
        app); // answers, or refuses an option that is neither the sign's nor the toolkit's
    MainWindow window;
    window.show();
    return app.exec();
}
