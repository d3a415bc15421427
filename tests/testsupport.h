#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "mainwindow.h"
#include "mainwindowprobe.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

// A settings store of the test's own, so that no test reads or writes a real user's settings.
class ScratchSettings
{
public:
    ScratchSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    }

    QString filePath() const { return dir.filePath(QStringLiteral("Velmoran/Brisquel.conf")); }
    bool exists() const { return QFile::exists(filePath()); }

    void clear() { QFile::remove(filePath()); }

    void write(const QVariantMap &values)
    {
        QSettings store(QStringLiteral("Velmoran"), QStringLiteral("Brisquel"));
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            store.setValue(it.key(), it.value());
    }

    QVariant value(const QString &key) const
    {
        return QSettings(QStringLiteral("Velmoran"), QStringLiteral("Brisquel")).value(key);
    }

    QStringList keys() const
    {
        return QSettings(QStringLiteral("Velmoran"), QStringLiteral("Brisquel")).allKeys();
    }

private:
    QTemporaryDir dir;
};

// The one way the tests answer what a command opens: a dialog, a message box or a popup menu.
// `open` runs the command. The first such widget to show is handed to `answer` when it is a T,
// and is then closed whatever `answer` did, so that a failed check inside can never leave the
// command waiting in exec(); any later one is closed unanswered. Returns the titles of all that
// opened ("menu" for a popup menu), for the test to compare with what it expects: what never
// appeared shows as a missing title as soon as the command returns.
template<typename T = QWidget, typename Open, typename Answer>
QString answerModal(Open open, Answer answer)
{
    QStringList opened;
    QList<QPointer<QWidget>> seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            modal = QApplication::activePopupWidget();
        if (!modal || seen.contains(modal))
            return;
        poll.stop(); // a nested command answers its own
        seen.append(modal);
        opened.append(qobject_cast<QMenu *>(modal) ? QStringLiteral("menu") : modal->windowTitle());
        auto *typed = qobject_cast<T *>(modal);
        if (typed && opened.size() == 1)
            answer(typed);
        if (seen.last() && seen.last()->isVisible()) {
            if (auto *dialog = qobject_cast<QDialog *>(seen.last()))
                dialog->reject();
            else
                seen.last()->close();
        }
        poll.start();
    });
    poll.start(0);
    open();
    return opened.join(QStringLiteral(", then "));
}

template<typename T = QWidget, typename Open> QString answerModal(Open open)
{
    return answerModal<T>(open, [](T *) {});
}

// What each test of the window starts from: an empty scratch store, and a window that is built
// on first use, so that a test can fill the store first, and destroyed after the test.
class WindowTest : public QObject
{
    Q_OBJECT

protected:
    MainWindow &window()
    {
        if (!sign)
            sign = std::make_unique<Sign>();
        return sign->window;
    }
    MainWindowProbe &probe()
    {
        window();
        return sign->probe;
    }
    QLabel *label() { return window().findChild<QLabel *>(QStringLiteral("timeLabel")); }

    void goFullScreen()
    {
        window().show();
        probe().call("toggleFullscreen");
        QTRY_COMPARE(window().size(), QSize(1920, 1080));
    }

    ScratchSettings settings;

private slots:
    void init() { settings.clear(); }
    void cleanup() { sign.reset(); }

private:
    struct Sign
    {
        MainWindow window;
        MainWindowProbe probe { window };
    };
    std::unique_ptr<Sign> sign;
};

// Replays the C runtime generator from a seed: the n-th number after seeding.
inline QList<int> randomDraws(unsigned seed, int count)
{
    std::srand(seed);
    QList<int> draws;
    for (int i = 0; i < count; ++i)
        draws.append(std::rand());
    return draws;
}

#endif // TESTSUPPORT_H
