#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>
#include <unistd.h>

QString runTool(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess tool;
    // The X tools print window titles in the locale's encoding, and some titles are Japanese.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(1000);
        return QString();
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

Desktop::Desktop()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(
        QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmoran.placement.debug=true"));
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QObject::connect(&app, &QProcess::readyReadStandardError, [this] {
        const QByteArray read = app.readAllStandardError();
        errors += read;
        std::fwrite(read.constData(), 1, size_t(read.size()), stderr);
    });
    app.setProgram(QStringLiteral(VELMORAN_BINARY));
}

int Desktop::spansJudged() const
{
    return int(errors.count("velmoran.placement: shown at"));
}

Desktop::~Desktop()
{
    if (isRunning()) {
        app.kill();
        app.waitForFinished(5000);
    }
}

// Root reads and writes any file, so a store that the user cannot read or write is only that
// for the program when it runs as somebody else.
void Desktop::dropPrivileges()
{
    if (::geteuid() != 0)
        return;
    QFile::setPermissions(home.path(),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadOther | QFileDevice::ExeOther);
    app.setArguments({ QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
        QStringLiteral("--clear-groups"), app.program() });
    app.setProgram(QStringLiteral("setpriv"));
}

void Desktop::setCommand(const QStringList &command)
{
    app.setProgram(command.value(0));
    app.setArguments(command.mid(1));
}

bool Desktop::start()
{
    app.start();
    if (!app.waitForStarted(10000))
        return false;
    return QTest::qWaitFor(
        [this] {
            window = findWindow(QStringLiteral("Velmoran"));
            return !window.isEmpty() && geometry().width() > 0; // mapped, at whatever size
        },
        15000);
}

int Desktop::close()
{
    requestClose();
    return exitCode();
}

void Desktop::requestClose() const
{
    runTool(QStringLiteral("wmctrl"), { QStringLiteral("-i"), QStringLiteral("-c"), window });
}

int Desktop::exitCode()
{
    if (!app.waitForFinished(10000))
        return -1;
    return app.exitStatus() == QProcess::NormalExit ? app.exitCode() : -1;
}

// The client area in root coordinates, as xwininfo reports it.
QRect Desktop::geometry(const QString &id) const
{
    const QString info = runTool(
        QStringLiteral("xwininfo"), { QStringLiteral("-id"), id.isEmpty() ? window : id });
    const auto field = [&info](const char *name) {
        const QRegularExpression pattern(
            QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        return pattern.match(info).captured(1).toInt();
    };
    return { field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
        field("Height") };
}

QPoint Desktop::frameTopLeft() const
{
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList extents = runTool(QStringLiteral("xprop"),
        { QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS") })
                                    .section('=', 1)
                                    .split(',');
    const QPoint offset(extents.value(0).toInt(), extents.value(2).toInt());
    return geometry().topLeft() - offset;
}

// Titles are read from _NET_WM_NAME, which is always UTF-8, and not from WM_NAME, which the
// toolkit writes in the locale's encoding: where no locale is set, it holds a Japanese title's
// UTF-8 bytes as Latin-1 text, and no tool that reads it can match the title.
QString Desktop::findWindow(const QString &title) const
{
    const QStringList ids = runTool(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
            QStringLiteral("Velmoran") })
                                .split('\n', Qt::SkipEmptyParts);
    const QString wanted = QStringLiteral("_NET_WM_NAME = \"%1\"").arg(title);
    for (const QString &id : ids) {
        if (runTool(QStringLiteral("xprop"),
                { QStringLiteral("-id"), id, QStringLiteral("-notype"),
                    QStringLiteral("_NET_WM_NAME") })
            == wanted)
            return id;
    }
    return QString();
}

QString Desktop::readText(int percent) const
{
    const QString image = home.filePath(QStringLiteral("window.png"));
    runTool(QStringLiteral("import"),
        { QStringLiteral("-window"), window, QStringLiteral("-resize"),
            QStringLiteral("%1%").arg(percent), image });
    return runTool(QStringLiteral("tesseract"), { image, QStringLiteral("stdout") });
}

QImage Desktop::grab() const
{
    const QString image = home.filePath(QStringLiteral("grab.png"));
    runTool(QStringLiteral("import"), { QStringLiteral("-window"), window, image });
    return QImage(image);
}

void Desktop::activate() const
{
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("windowactivate"), QStringLiteral("--sync"), window });
}

void Desktop::key(const QString &keys) const
{
    runTool(QStringLiteral("xdotool"), QStringList { QStringLiteral("key") } + keys.split(' '));
}

void Desktop::type(const QString &text) const
{
    runTool(QStringLiteral("xdotool"), { QStringLiteral("type"), text });
}

void Desktop::rightClick(const QPoint &at) const
{
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
            QString::number(at.y()), QStringLiteral("click"), QStringLiteral("3") });
}

void Desktop::click(const QPoint &globalAt) const
{
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QString::number(globalAt.x()), QString::number(globalAt.y()),
            QStringLiteral("click"), QStringLiteral("1") });
}

// The context menu is an unnamed, unmanaged window of the program's own class.
QString Desktop::popupMenu() const
{
    const QStringList ids = runTool(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
            QStringLiteral("Velmoran") })
                                .split('\n', Qt::SkipEmptyParts);
    for (const QString &id : ids) {
        if (id != window && geometry(id).width() > 50)
            return id;
    }
    return QString();
}

QString Desktop::settingsPath() const
{
    return home.filePath(QStringLiteral(".config/Velmoran/Brisquel.conf"));
}

QByteArray Desktop::settingsFile() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Desktop::writeSettings(const QByteArray &contents) const
{
    QDir().mkpath(QFileInfo(settingsPath()).path());
    QFile file(settingsPath());
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}

// The window with the frame that the window manager draws around it.
void Desktop::screenshot(const QString &path) const
{
    runTool(QStringLiteral("import"),
        { QStringLiteral("-frame"), QStringLiteral("-window"), window, path });
}
