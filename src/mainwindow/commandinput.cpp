#include "mainwindow.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

bool isModifierOrLockKey(int key)
{
    return (key >= Qt::Key_Shift && key <= Qt::Key_ScrollLock) || key == Qt::Key_AltGr;
}

// Shift, Keypad and GroupSwitch leave a letter a command; these make it someone else's shortcut.
bool hasShortcutModifier(const QKeyEvent *event)
{
    return event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

// Keyboards without a Menu key, most laptops', have Shift+F10 for it.
bool isMenuKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_F10 && event->modifiers() & Qt::ShiftModifier;
}

// Asks for the context menu as the Menu key does: at the focus's cursor, the window's centre.
void requestContextMenu(QWidget *window, Qt::KeyboardModifiers modifiers)
{
    const QPoint centre = window->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent event(
        QContextMenuEvent::Keyboard, centre, window->mapToGlobal(centre), modifiers);
    QCoreApplication::sendEvent(window, &event);
}

void addCommand(QMenu &menu, const QString &label, MainWindow *window, void (MainWindow::*slot)())
{
    auto *action = new QAction(label, &menu);
    QObject::connect(action, &QAction::triggered, window, slot);
    menu.addAction(action);
}

} // namespace

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (!event)
        return; // the base handler would dereference it
    if (isModifierOrLockKey(event->key()) || hasShortcutModifier(event)) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    if (isMenuKey(event)) {
        requestContextMenu(this, event->modifiers());
        return;
    }
    switch (event->key()) {
    case Qt::Key_C:
        showCommentDialog();
        return;
    case Qt::Key_D:
        toggleDVDMode();
        return;
    case Qt::Key_F:
        toggleFullscreen();
        return;
    case Qt::Key_R:
        resetTimer();
        return;
    case Qt::Key_S:
        showSettingsDialog();
        return;
    case Qt::Key_T:
        showCustomTextDialog();
        return;
    default:
        QMainWindow::keyPressEvent(event);
    }
}

void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    addCommand(menu, QStringLiteral("テキストを変更 (T)"), this, &MainWindow::showCustomTextDialog);
    addCommand(menu, QStringLiteral("コメントを変更 (C)"), this, &MainWindow::showCommentDialog);
    addCommand(menu, QStringLiteral("タイマーをリセット (R)"), this, &MainWindow::resetTimer);
    menu.addSeparator();
    addCommand(menu,
        dvdModeEnabled ? QStringLiteral("DVDモードを無効にする (D)")
                       : QStringLiteral("DVDモードを有効にする (D)"),
        this, &MainWindow::toggleDVDMode);
    addCommand(menu,
        isFullScreen() ? QStringLiteral("ウィンドウモードに戻す (F)")
                       : QStringLiteral("フルスクリーンにする (F)"),
        this, &MainWindow::toggleFullscreen);
    menu.addSeparator();
    addCommand(menu, QStringLiteral("DVD速度設定 (S)"), this, &MainWindow::showSettingsDialog);
    menu.exec(event->globalPos());
}
