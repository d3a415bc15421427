#include "testsupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace {

// What a key press did, read from the window's state: each command leaves its own trace.
QString commandRun(MainWindowProbe &probe, const MainWindow &window, const QString &dialogTitle)
{
    if (!dialogTitle.isEmpty())
        return dialogTitle;
    if (!probe.dvdModeEnabled())
        return QStringLiteral("D");
    if (window.isFullScreen())
        return QStringLiteral("F");
    if (probe.elapsedSeconds() == 1)
        return QStringLiteral("R");
    return QString();
}

QStringList menuEntries(QMenu *menu)
{
    QStringList entries;
    for (QAction *action : menu->actions())
        entries.append(action->isSeparator() ? QStringLiteral("|") : action->text());
    return entries;
}

} // namespace

class TestCommandInput : public WindowTest
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void autoRepeatCountsAsPress();
    void nullKeyEventIsIgnored();
    void menuEntries_data();
    void menuEntries();
    void menuEntryRunsItsCommand_data();
    void menuEntryRunsItsCommand();
    void dismissedMenuRunsNothing();
    void menuLeavesNothingBehind();
    void keepsDefaultContextMenuPolicy();
};

void TestCommandInput::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("command");

    const QList<std::pair<int, QString>> commands {
        { Qt::Key_T, "カスタムテキスト" },
        { Qt::Key_C, "コメント" },
        { Qt::Key_R, "R" },
        { Qt::Key_D, "D" },
        { Qt::Key_F, "F" },
        { Qt::Key_S, "DVD Speed Setting" },
    };
    for (const auto &[key, command] : commands) {
        const QString letter = QKeySequence(key).toString();
        QTest::addRow("%s", qPrintable(letter)) << key << int(Qt::NoModifier) << command;
        QTest::addRow("Shift+%s", qPrintable(letter)) << key << int(Qt::ShiftModifier) << command;
        QTest::addRow("keypad %s", qPrintable(letter)) << key << int(Qt::KeypadModifier) << command;
        QTest::addRow("group switch %s", qPrintable(letter))
            << key << int(Qt::GroupSwitchModifier) << command;
        QTest::addRow("Ctrl+%s", qPrintable(letter))
            << key << int(Qt::ControlModifier) << QString();
        QTest::addRow("Alt+%s", qPrintable(letter)) << key << int(Qt::AltModifier) << QString();
        QTest::addRow("Meta+%s", qPrintable(letter)) << key << int(Qt::MetaModifier) << QString();
        QTest::addRow("Ctrl+Shift+%s", qPrintable(letter))
            << key << int(Qt::ControlModifier | Qt::ShiftModifier) << QString();
    }
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << "menu";
    const QList<int> others { Qt::Key_Shift, Qt::Key_Control, Qt::Key_Meta, Qt::Key_Alt,
        Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock, Qt::Key_AltGr, Qt::Key_A, Qt::Key_E,
        Qt::Key_Q, Qt::Key_Z, Qt::Key_0, Qt::Key_7, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Left,
        Qt::Key_Up, Qt::Key_Space, Qt::Key_F1, Qt::Key_F10 };
    for (int key : others)
        QTest::addRow("other key 0x%x", key) << key << int(Qt::NoModifier) << QString();
}

void TestCommandInput::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, command);
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    probe().elapsedSeconds() = 500;
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    const QString dialogTitle = answerModal([&] { QApplication::sendEvent(&window(), &press); });
    // A key that is no command is passed on to the base handler, which ignores it.
    QCOMPARE(press.isAccepted(), !command.isEmpty());
    QCOMPARE(commandRun(probe(), window(), dialogTitle), command);
    QVERIFY(!settings.exists());
    if (window().isFullScreen())
        probe().call("toggleFullscreen");
}

void TestCommandInput::autoRepeatCountsAsPress()
{
    for (int i = 1; i <= 5; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, QStringLiteral("d"), true);
        QApplication::sendEvent(&window(), &repeat);
        QCOMPARE(probe().dvdModeEnabled(), i % 2 == 0);
    }
    probe().elapsedSeconds() = 90;
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_R, Qt::NoModifier, QStringLiteral("r"), true);
    QApplication::sendEvent(&window(), &repeat);
    QCOMPARE(probe().elapsedSeconds(), 1);
}

void TestCommandInput::nullKeyEventIsIgnored()
{
    probe().keyPressEvent(nullptr);
    QVERIFY(probe().dvdModeEnabled());
}

void TestCommandInput::menuEntries_data()
{
    QTest::addColumn<bool>("dvdMode");
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<QString>("dvdEntry");
    QTest::addColumn<QString>("screenEntry");
    QTest::newRow("start") << true << false << "DVDモードを無効にする (D)"
                           << "フルスクリーンにする (F)";
    QTest::newRow("DVD off") << false << false << "DVDモードを有効にする (D)"
                             << "フルスクリーンにする (F)";
    QTest::newRow("full screen") << true << true << "DVDモードを無効にする (D)"
                                 << "ウィンドウモードに戻す (F)";
}

void TestCommandInput::menuEntries()
{
    QFETCH(bool, dvdMode);
    QFETCH(bool, fullScreen);
    QFETCH(QString, dvdEntry);
    QFETCH(QString, screenEntry);
    window().show();
    if (!dvdMode)
        probe().call("toggleDVDMode");
    if (fullScreen)
        probe().call("toggleFullscreen");

    QStringList entries;
    QPoint shownAt;
    QWidget *menuParent = nullptr;
    bool hasMnemonicOrShortcut = false;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(300, 200));
    const QString opened = answerModal<QMenu>([&] { QApplication::sendEvent(&window(), &event); },
        [&](QMenu *menu) {
            entries = ::menuEntries(menu);
            shownAt = menu->pos();
            menuParent = menu->parentWidget();
            for (QAction *action : menu->actions())
                hasMnemonicOrShortcut |= action->text().contains('&')
                    || !action->shortcut().isEmpty() || action->isCheckable()
                    || !action->isEnabled() || !action->icon().isNull();
        });
    QCOMPARE(opened, "menu");

    QCOMPARE(entries,
        QStringList({ "テキストを変更 (T)", "コメントを変更 (C)", "タイマーをリセット (R)", "|",
            dvdEntry, screenEntry, "|", "DVD速度設定 (S)" }));
    QCOMPARE(shownAt, QPoint(300, 200));
    QCOMPARE(menuParent, &window());
    QVERIFY(!hasMnemonicOrShortcut);
}

void TestCommandInput::menuEntryRunsItsCommand_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("command");
    QTest::newRow("text") << 0 << "カスタムテキスト";
    QTest::newRow("comment") << 1 << "コメント";
    QTest::newRow("reset") << 2 << "R";
    QTest::newRow("DVD mode") << 4 << "D";
    QTest::newRow("full screen") << 5 << "F";
    QTest::newRow("speed") << 7 << "DVD Speed Setting";
}

void TestCommandInput::menuEntryRunsItsCommand()
{
    QFETCH(int, entry);
    QFETCH(QString, command);
    window().show();
    probe().elapsedSeconds() = 500;
    QString dialogTitle;
    QContextMenuEvent event(
        QContextMenuEvent::Mouse, QPoint(5, 5), window().mapToGlobal(QPoint(5, 5)));
    const QString opened = answerModal<QMenu>([&] { QApplication::sendEvent(&window(), &event); },
        [&](QMenu *menu) {
            dialogTitle = answerModal([&] { menu->actions().at(entry)->trigger(); });
        });
    QCOMPARE(opened, "menu");
    QCOMPARE(commandRun(probe(), window(), dialogTitle), command);
    if (window().isFullScreen())
        probe().call("toggleFullscreen");
}

void TestCommandInput::dismissedMenuRunsNothing()
{
    window().show();
    probe().elapsedSeconds() = 500;
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(100, 100));
    QCOMPARE(answerModal([&] { QApplication::sendEvent(&window(), &event); },
                 [](QWidget *menu) { QTest::keyClick(menu, Qt::Key_Escape); }),
        "menu");
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(commandRun(probe(), window(), QString()), QString());
}

void TestCommandInput::menuLeavesNothingBehind()
{
    window().show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const int children = window().findChildren<QObject *>().size();
    for (int i = 0; i < 50; ++i) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(100, 100));
        QCOMPARE(answerModal([&] { QApplication::sendEvent(&window(), &event); }), "menu");
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(window().findChildren<QObject *>().size(), children);
    QVERIFY(window().actions().isEmpty());
}

void TestCommandInput::keepsDefaultContextMenuPolicy()
{
    QCOMPARE(window().contextMenuPolicy(), Qt::DefaultContextMenu);
    QCOMPARE(window().focusPolicy(), Qt::StrongFocus);
}

QTEST_MAIN(TestCommandInput)
#include "tst_commandinput.moc"
