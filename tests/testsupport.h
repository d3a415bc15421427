#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
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

// Hands the next modal widget or popup menu to `answer` once it is open. Polls for about five
// seconds at most, and not beyond its own scope, so that it can never answer another test's dialog.
class ModalAnswer
{
public:
    explicit ModalAnswer(std::function<void(QWidget *)> answer)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, answer] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                modal = QApplication::activePopupWidget();
            if (!modal && ++tries < 500)
                return;
            poll.stop();
            if (modal)
                answer(modal);
        });
        poll.start(10);
    }

private:
    QTimer poll;
    int tries = 0;
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
