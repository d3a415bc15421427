#ifndef MAINWINDOWPROBE_H
#define MAINWINDOWPROBE_H

#include "mainwindow.h"

#include <QMetaObject>
#include <QTest>

// Reads and stages the state of a MainWindow; its slots are reached through the meta-object.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window)
        : w(window)
    {
    }

    void call(const char *slot) { QVERIFY2(QMetaObject::invokeMethod(&w, slot), slot); }

    QLabel *timeLabel() const { return w.timeLabel; }
    QTimer *clockTimer() const { return w.clockTimer; }
    QTimer *moveTimer() const { return w.moveTimer; }
    QScreen *&screen() { return w.screen; }
    bool &canPositionWindow() { return w.canPositionWindow; }
    bool &dvdModeEnabled() { return w.dvdModeEnabled; }
    int &elapsedSeconds() { return w.elapsedSeconds; }
    QString &customText() { return w.customText; }
    QString &comment() { return w.comment; }
    int &normalFontSize() { return w.normalFontSize; }
    int &fullscreenFontSize() { return w.fullscreenFontSize; }
    int &minSpeed() { return w.minSpeed; }
    int &maxSpeed() { return w.maxSpeed; }
    double &dvdX() { return w.dvdX; }
    double &dvdY() { return w.dvdY; }
    double &dvdVelocityX() { return w.dvdVelocityX; }
    double &dvdVelocityY() { return w.dvdVelocityY; }

    double randomSpeed() { return w.randomSpeed(); }
    void moveDVD() { w.moveDVD(); } // direct, for the step-cost benchmark
    void updateTimeDisplay() { w.updateTimeDisplay(); }
    void keyPressEvent(QKeyEvent *event) { w.keyPressEvent(event); }
    void loadSettings() { w.loadSettings(); }
    void saveSettings() { w.saveSettings(); }

private:
    MainWindow &w;
};

#endif // MAINWINDOWPROBE_H
