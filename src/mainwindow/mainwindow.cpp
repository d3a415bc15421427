#include "mainwindow.h"
#include "settingsdialog.h"
#include "showntext.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSemaphore>
#include <QSettings>
#include <QSpinBox>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

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
// A write of the store that a local disk takes ends well within this.
constexpr int storeWaitMs = 250;

using StoredValues = QList<std::pair<QString, QVariant>>;

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

// Whether the per-user file holds what was written. Opened by its name, the store reads that file
// alone: an error met reading the organisation's file tells nothing of the write. The toolkit keeps
// the values of a write that failed in its shared copy of the file, where a reader would find them,
// and writes them again as it opens: its status tells whether the file took them this time.
bool storeHolds(const QString &path, const StoredValues &values)
{
    const QSettings written(path, QSettings::NativeFormat);
    return written.status() == QSettings::NoError
        && std::all_of(values.cbegin(), values.cend(), [&](const auto &entry) {
               return written.value(entry.first).toString() == entry.second.toString();
           });
}

// The store's path where the per-user file did not take the values; nothing where it did.
QString unsavedStore(const StoredValues &values)
{
    QString path;
    {
        QSettings settings(organizationName, applicationName);
        for (const auto &[key, value] : values)
            settings.setValue(key, value);
        path = settings.fileName();
    } // written as it closes
    return storeHolds(path, values) ? QString() : path;
}

// A write of the store, and who tells of a write that failed: the window while it still waits as
// the write ends, else the write itself.
struct StoreWrite
{
    enum State { Awaited, Abandoned, Ended };
    StoredValues values;
    QString unsaved;
    QSemaphore ended;
    std::atomic<State> state { Awaited };
};

// One write at a time, in the order confirmed. Never destroyed: a write that a file holds may end
// after the program has begun to end.
QThreadPool &storeWriter()
{
    static QThreadPool *const writer = [] {
        auto *pool = new QThreadPool;
        pool->setMaxThreadCount(1);
        pool->setExpiryTimeout(-1);
        return pool;
    }();
    return *writer;
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

// A lock file that another user left beside the store, or a home on a share that stopped
// answering, holds whoever writes the store for long: it is written on a thread of its own, and the
// window waits for it only a moment.
void MainWindow::saveSettings()
{
    const auto write = std::make_shared<StoreWrite>();
    write->values = { { minSpeedKey, minSpeed }, { maxSpeedKey, maxSpeed },
        { customTextKey, customText }, { commentKey, comment },
        { normalFontSizeKey, normalFontSize }, { fullscreenFontSizeKey, fullscreenFontSize } };
    storeWriter().start([write, window = QPointer<QWidget>(this)] {
        write->unsaved = unsavedStore(write->values);
        const bool abandoned = write->state.exchange(StoreWrite::Ended) == StoreWrite::Abandoned;
        write->ended.release();
        if (abandoned && !write->unsaved.isEmpty() && QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [window, path = write->unsaved] {
                    if (window)
                        warnUnsaved(window, path);
                });
        }
    });
    if (!write->ended.tryAcquire(1, storeWaitMs)
        && write->state.exchange(StoreWrite::Abandoned) != StoreWrite::Ended)
        return; // the write tells of itself as it ends
    if (!write->unsaved.isEmpty())
        warnUnsaved(this, write->unsaved);
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
