#include "mainwindow.h"

#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {

constexpr QSize windowModeSize(280, 150);

// The text dialogs take no more than a line edit holds. Longer texts can only come from a
// settings file edited by hand, and laying out a megabyte of text every second would starve the
// event loop: such a text shows its beginning, and the store keeps it whole.
constexpr qsizetype longestShownText = 32767;

QString cutToLength(const QString &text)
{
    if (text.size() <= longestShownText)
        return text;
    QString shown = text.left(longestShownText);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    return shown;
}

// Stands in for rich text's resource loader: notes what the markup would read, reads nothing.
// It answers with a real image, or the document would try the name as a file itself.
class ResourceProbe : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE QVariant loadResource(int, const QUrl &url)
    {
        requested.append(url);
        return QImage(1, 1, QImage::Format_ARGB32);
    }

    QList<QUrl> requested;
};

constexpr qint64 largestResourceFile = 16 * 1024 * 1024;

// What the label's document would read for a name: a local file, or nothing at all.
bool isSafeToRead(const QUrl &url)
{
    if (!url.isRelative() && !url.isLocalFile())
        return true; // data: is decoded in memory; other schemes are never fetched
    const QFileInfo file(url.isLocalFile() ? url.toLocalFile() : url.path());
    return !file.exists() || (file.isFile() && file.size() <= largestResourceFile);
}

// Markup may name images and style sheets, which the label reads from disk as it lays the text
// out. A device, a pipe or a huge file would hang the window, so a text that names one is shown
// with its markup as plain characters instead.
bool namesOnlySafeResources(const QString &text)
{
    if (!text.contains(QLatin1Char('<')))
        return true;
    ResourceProbe probe;
    QTextDocument document(&probe);
    document.setHtml(text);
    document.size(); // laying the text out asks for its images
    return std::all_of(probe.requested.cbegin(), probe.requested.cend(), isSafeToRead);
}

QString shownText(const QString &text)
{
    const QString shown = cutToLength(text);
    return namesOnlySafeResources(shown) ? shown : shown.toHtmlEscaped();
}

int currentFontSize(const QWidget *window, int normalSize, int fullscreenSize)
{
    return window->isFullScreen() ? fullscreenSize : normalSize;
}

QString timeText(int elapsed)
{
    const QLatin1Char zero('0');
    return QStringLiteral("%1:%2:%3")
        .arg(elapsed / 3600, 2, 10, zero)
        .arg(elapsed % 3600 / 60, 2, 10, zero)
        .arg(elapsed % 60, 2, 10, zero);
}

// The text dialogs' common shape: the entered text when OK was pressed, nothing otherwise.
std::optional<QString> askForText(
    QWidget *parent, const QString &title, const QString &label, const QString &current)
{
    bool accepted = false;
    const QString text
        = QInputDialog::getText(parent, title, label, QLineEdit::Normal, current, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

} // namespace

void MainWindow::updateTimeDisplay()
{
    const int fontSize = currentFontSize(this, normalFontSize, fullscreenFontSize);
    const int commentFontSize = static_cast<int>(fontSize * 0.8);
    // One pass over all five values, so that a "%1" in the user's text is shown as it stands.
    timeLabel->setText(
        QStringLiteral("<div style='font-size: %1px; font-weight: bold;'>%2 at %3</div>"
                       "<div style='font-size: %4px; font-weight: bold;'>%5</div>")
            .arg(QString::number(fontSize), shownText(customText), timeText(elapsedSeconds),
                QString::number(commentFontSize), shownText(comment)));
    ++elapsedSeconds;
}

void MainWindow::updateFontSize()
{
    const int fontSize = currentFontSize(this, normalFontSize, fullscreenFontSize);
    timeLabel->setStyleSheet(QStringLiteral("QLabel { font-size: %1px; font-weight: bold; margin: "
                                            "0px; padding: 0px; border: 0px; }")
                                 .arg(fontSize));
}

void MainWindow::resetTimer()
{
    try {
        elapsedSeconds = 0;
        updateTimeDisplay();
    } catch (...) {
    }
}

void MainWindow::toggleFullscreen()
{
    try {
        if (isFullScreen()) {
            showNormal();
            setMinimumSize(windowModeSize);
            setMaximumSize(windowModeSize);
        } else {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            showFullScreen();
        }
        updateFontSize();
    } catch (...) {
    }
}

void MainWindow::showCustomTextDialog()
{
    try {
        const auto text = askForText(this, QStringLiteral("カスタムテキスト"),
            QStringLiteral("表示するテキストを入力してください:"), customText);
        if (!text || text->isEmpty())
            return;
        customText = *text;
        saveSettings();
        updateTimeDisplay();
    } catch (...) {
    }
}

void MainWindow::showCommentDialog()
{
    try {
        const auto text = askForText(this, QStringLiteral("コメント"),
            QStringLiteral("コメントを入力してください:"), comment);
        if (!text)
            return;
        comment = *text;
        saveSettings();
        updateTimeDisplay();
    } catch (...) {
    }
}

#include "timedisplay.moc"
