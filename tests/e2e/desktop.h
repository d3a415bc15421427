#ifndef DESKTOP_H
#define DESKTOP_H

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>

// Drives the real Velmoran binary on the current X display as a user would, through xdotool
// and wmctrl. Every helper process is bounded in time; the program is killed if it outlives us.
class Desktop
{
public:
    Desktop();
    ~Desktop();

    void dropPrivileges(); // run the program as nobody when we are root
    void setCommand(const QStringList &command); // start it by this command line instead
    bool start();
    int close(); // the exit code, or -1 when the program did not end by itself
    void requestClose() const; // as the window manager's close button does
    int exitCode(); // once the program has ended by itself, within seconds; else -1
    bool isRunning() const { return app.state() != QProcess::NotRunning; }
    int spansJudged() const; // of the desktop's placing, as the program logs them
    qint64 processId() const { return app.processId(); }

    QString windowId() const { return window; }
    QRect geometry(const QString &id = QString()) const;
    QPoint frameTopLeft() const; // where the program placed its window, frame included
    QString findWindow(const QString &title) const; // the visible window of that very title
    QString readText(int percent = 300) const; // what the window shows, by OCR, scaled
    QImage grab() const; // the window's client area

    void activate() const;
    void key(const QString &keys) const;
    void type(const QString &text) const;
    void rightClick(const QPoint &at) const;
    void click(const QPoint &globalAt) const;
    QString popupMenu() const;

    QString settingsPath() const;
    QByteArray settingsFile() const;
    void writeSettings(const QByteArray &contents) const;
    void screenshot(const QString &path) const;

private:
    QTemporaryDir home;
    QProcess app;
    QByteArray errors; // the program's standard error, which is passed on as well
    QString window;
};

QString runTool(const QString &program, const QStringList &arguments, int timeoutMs = 10000);

#endif // DESKTOP_H
