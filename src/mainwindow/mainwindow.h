#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <QString>

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
class QContextMenuEvent;
class QKeyEvent;
class QLabel;
class QScreen;
class QTimer;
QT_END_NAMESPACE

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void setupDVD();
    void moveDVD();
    void updateTimeDisplay();
    void checkPlatformSupport();
    void showCustomTextDialog();
    void toggleDVDMode();
    void toggleFullscreen();
    void updateFontSize();
    void resetTimer();
    void showCommentDialog();
    void showSettingsDialog();

private:
    void loadSettings();
    void saveSettings();
    double randomSpeed();

    // The unit tests read and stage the window's state through this probe.
    friend class MainWindowProbe;

    Ui::MainWindow *ui;
    QScreen *screen;
    QLabel *timeLabel;
    QTimer *clockTimer;
    QTimer *moveTimer;
    bool canPositionWindow;
    bool dvdModeEnabled;
    int elapsedSeconds;
    QString customText;
    QString comment;
    int normalFontSize;
    int fullscreenFontSize;
    int minSpeed;
    int maxSpeed;
    double dvdX;
    double dvdY;
    double dvdVelocityX;
    double dvdVelocityY;
};

#endif // MAINWINDOW_H
