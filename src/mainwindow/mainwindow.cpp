#include "mainwindow.h"
#include "settingsdialog.h"
#include "showntext.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

namespace {

const QString organizationName = QStringLiteral("Velmoran");
const QString applicationName = QStringLiteral("Brisquel");

const QString minSpeedKey = QStringLiteral("dvd/minSpeed");
const QString maxSpeedKey = QStringLiteral("dvd/maxSpeed");
const QString customTextKey = QStringLiteral("ui/customText");
const QString commentKey = QStringLiteral("ui/comment");
const QString normalFontSizeKey = QStringLiteral("ui/normalFontSize");
const QString fullscreenFontSizeKey = QStringLiteral("ui/fullscreenFontSize");

constexpr int defaultMinSpeed = 2;
constexpr int defaultMaxSpeed = 4;
const QString defaultCustomText = QStringLiteral("Nothing to do");
const QString defaultComment = QStringLiteral("...");
constexpr int defaultNormalFontSize = 18;
constexpr int defaultFullscreenFontSize = 72;

// A change confirmed in a dialog that the store did not take holds only while the sign runs: the
// user is told at once, rather than finding the old values at the next start.
void warnUnsaved(QWidget *window, const QString &storePath)
{
    const QString text
        = QStringLiteral("Velmoran could not write its settings to %1: the change holds until "
                         "Velmoran closes.")
              .arg(QDir::toNativeSeparators(storePath));
    qWarning().noquote() << text;
    QMessageBox::warning(
        window, QStringLiteral("Settings Warning"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , screen(QGuiApplication::primaryScreen())
    , timeLabel(nullptr)
    , clockTimer(nullptr)
    , moveTimer(nullptr)
    , canPositionWindow(true)
    , dvdModeEnabled(true)
    , elapsedSeconds(0)
    , customText(defaultCustomText)
    , comment(defaultComment)
    , normalFontSize(defaultNormalFontSize)
    , fullscreenFontSize(defaultFullscreenFontSize)
    , minSpeed(defaultMinSpeed)
    , maxSpeed(defaultMaxSpeed)
    , dvdX(0)
    , dvdY(0)
    , dvdVelocityX(0)
    , dvdVelocityY(0)
{
    ui->setupUi(this);

    // The bounce follows whichever screen is primary now, and never touches one that is gone.
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this,
        [this](QScreen *primary) { screen = primary; });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen *removed) {
        if (removed == screen)
            screen = QGuiApplication::primaryScreen();
    });

    checkPlatformSupport();
    loadSettings();
    describeSign(this, customText, comment);
    setupDVD();

    timeLabel = new QLabel(this);
    timeLabel->setObjectName(QStringLiteral("timeLabel")); // for the tests to find it by
    timeLabel->setAlignment(Qt::AlignCenter);
    timeLabel->setContentsMargins(0, 0, 0, 0);
    // Once full screen lifts the fixed size, the label's hint at the large font would become the
    // window's minimum size and race the window manager's full-screen geometry.
    timeLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setCentralWidget(timeLabel);
    updateFontSize();

    clockTimer = new QTimer(this);
    connect(clockTimer, &QTimer::timeout, this, &MainWindow::updateTimeDisplay);
    clockTimer->start(1000);
    updateTimeDisplay();

    moveTimer = new QTimer(this);
    moveTimer->setSingleShot(false);
    moveTimer->start(16);
    connect(moveTimer, &QTimer::timeout, this, &MainWindow::moveDVD);

    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    activateWindow();
    raise();

    QMessageLogger().debug("MainWindow constructor completed");
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::loadSettings()
{
    QSettings settings(organizationName, applicationName);
    minSpeed = settings.value(minSpeedKey, defaultMinSpeed).toInt();
    maxSpeed = settings.value(maxSpeedKey, defaultMaxSpeed).toInt();
    customText = settings.value(customTextKey, defaultCustomText).toString();
    comment = settings.value(commentKey, defaultComment).toString();
    normalFontSize = settings.value(normalFontSizeKey, defaultNormalFontSize).toInt();
    fullscreenFontSize = settings.value(fullscreenFontSizeKey, defaultFullscreenFontSize).toInt();
}

void MainWindow::saveSettings()
{
    QSettings settings(organizationName, applicationName);
    settings.setValue(minSpeedKey, minSpeed);
    settings.setValue(maxSpeedKey, maxSpeed);
    settings.setValue(customTextKey, customText);
    settings.setValue(commentKey, comment);
    settings.setValue(normalFontSizeKey, normalFontSize);
    settings.setValue(fullscreenFontSizeKey, fullscreenFontSize);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        warnUnsaved(this, settings.fileName());
}

void MainWindow::showSettingsDialog()
{
    try {
        SettingsDialog dialog(this);
        dialog.minimumSpinBox()->setValue(minSpeed);
        dialog.maximumSpinBox()->setValue(maxSpeed);
        if (dialog.exec() != QDialog::Accepted)
            return;
        minSpeed = dialog.minimumSpinBox()->value();
        maxSpeed = dialog.maximumSpinBox()->value();
        saveSettings();
        if (dvdModeEnabled)
            setupDVD();
    } catch (...) {
    }
}
