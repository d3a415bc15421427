#include "mainwindow.h"
#include "showntext.h"
#include "windowsystem.h"

#include <QInputDialog>
#include <QLabel>

#include <optional>

namespace {

constexpr QSize windowModeSize(280, 150);

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

void showWindowMode(QWidget *window)
{
    window->showNormal();
    window->setMinimumSize(windowModeSize);
    window->setMaximumSize(windowModeSize);
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
    const ShownText text = shownText(customText);
    const ShownText shownComment = shownText(comment);
    // One pass over all five values, so that a "%1" in the user's text is shown as it stands.
    setRichText(timeLabel,
        QStringLiteral("<div style='font-size: %1px; font-weight: bold;'>%2 at %3</div>"
                       "<div style='font-size: %4px; font-weight: bold;'>%5</div>")
            .arg(QString::number(fontSize), text.markup, timeText(elapsedSeconds),
                QString::number(commentFontSize), shownComment.markup),
        { text, shownComment });
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
            showWindowMode(this);
        } else if (grantsFullScreen(windowHandle())) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            showFullScreen();
        } // else the small window stays as it was, where a request would go unanswered
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
        describeSign(this, customText, comment);
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
        describeSign(this, customText, comment);
        updateTimeDisplay();
    } catch (...) {
    }
}
