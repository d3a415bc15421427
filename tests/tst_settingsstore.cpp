#include "testsupport.h"

#include <QInputDialog>
#include <QLabel>
#include <QLockFile>
#include <QScopeGuard>

class TestSettingsStore : public WindowTest
{
    Q_OBJECT

private slots:
    void emptyStoreGivesDefaults();
    void storedValuesAreLoaded();
    void unconvertibleValuesLoad_data();
    void unconvertibleValuesLoad();
    void confirmedDialogWritesAllSix_data();
    void confirmedDialogWritesAllSix();
    void warnsExactlyWhenNotStored_data();
    void warnsExactlyWhenNotStored();
    void heldLockHoldsOnlyTheWrite();
    void unconfirmedDialogWritesNothing_data();
    void unconfirmedDialogWritesNothing();
    void saveWritesBackWhatWasLoaded();
};

void TestSettingsStore::emptyStoreGivesDefaults()
{
    QCOMPARE(probe().minSpeed(), 2);
    QCOMPARE(probe().maxSpeed(), 4);
    QCOMPARE(probe().customText(), QStringLiteral("Nothing to do"));
    QCOMPARE(probe().comment(), QStringLiteral("..."));
    QCOMPARE(probe().normalFontSize(), 18);
    QCOMPARE(probe().fullscreenFontSize(), 72);
    QVERIFY(!settings.exists());
}

void TestSettingsStore::storedValuesAreLoaded()
{
    settings.write({ { "dvd/minSpeed", 7 }, { "dvd/maxSpeed", 9 },
        { "ui/customText", QStringLiteral("Lunch") }, { "ui/comment", QStringLiteral("back soon") },
        { "ui/normalFontSize", 20 }, { "ui/fullscreenFontSize", 90 } });
    QCOMPARE(probe().minSpeed(), 7);
    QCOMPARE(probe().maxSpeed(), 9);
    QCOMPARE(probe().customText(), QStringLiteral("Lunch"));
    QCOMPARE(probe().comment(), QStringLiteral("back soon"));
    QCOMPARE(probe().normalFontSize(), 20);
    QCOMPARE(probe().fullscreenFontSize(), 90);
    QVERIFY(label()->text().contains(QStringLiteral("Lunch at 00:00:00")));
}

void TestSettingsStore::unconvertibleValuesLoad_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("loaded");
    QTest::newRow("font size not a number")
        << "ui/normalFontSize" << QVariant("big") << QVariant(0);
    QTest::newRow("speed not a number") << "dvd/maxSpeed" << QVariant("fast") << QVariant(0);
    QTest::newRow("empty custom text") << "ui/customText" << QVariant("") << QVariant("");
    QTest::newRow("empty comment") << "ui/comment" << QVariant("") << QVariant("");
}

void TestSettingsStore::unconvertibleValuesLoad()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, loaded);
    settings.write({ { key, stored } });
    const QVariantMap members { { "ui/normalFontSize", probe().normalFontSize() },
        { "dvd/maxSpeed", probe().maxSpeed() }, { "ui/customText", probe().customText() },
        { "ui/comment", probe().comment() } };
    QCOMPARE(members.value(key).toString(), loaded.toString());
}

void TestSettingsStore::confirmedDialogWritesAllSix_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::newRow("text") << QByteArray("showCustomTextDialog");
    QTest::newRow("comment") << QByteArray("showCommentDialog");
    QTest::newRow("speed") << QByteArray("showSettingsDialog");
}

void TestSettingsStore::confirmedDialogWritesAllSix()
{
    QFETCH(QByteArray, slot);
    probe().normalFontSize() = 21;
    const QString opened = answerModal<QDialog>([&] { probe().call(slot); },
        [](QDialog *modal) {
            if (auto *input = qobject_cast<QInputDialog *>(modal))
                input->setTextValue(QStringLiteral("new"));
            modal->accept();
        });
    QVERIFY(!opened.isEmpty());

    QStringList keys = settings.keys();
    keys.sort();
    QCOMPARE(keys,
        QStringList({ "dvd/maxSpeed", "dvd/minSpeed", "ui/comment", "ui/customText",
            "ui/fullscreenFontSize", "ui/normalFontSize" }));
    QCOMPARE(settings.value("ui/normalFontSize").toInt(), 21);
    QCOMPARE(settings.value("ui/customText").toString(), probe().customText());
    QCOMPARE(settings.value("ui/comment").toString(), probe().comment());
}

void TestSettingsStore::warnsExactlyWhenNotStored_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<bool>("stored");
    for (const char *slot : { "showCustomTextDialog", "showCommentDialog", "showSettingsDialog" }) {
        QTest::addRow("%s, a file where the store's folder belongs", slot)
            << QByteArray(slot) << false;
        QTest::addRow("%s, a folder where the organisation's file belongs", slot)
            << QByteArray(slot) << true;
    }
}

// Neither can root write a store whose folder is a file, nor read an organisation's file that is a
// folder, which the sign only reads: the change holds while the sign runs, and the user hears of
// it at every confirmation that the file did not take.
void TestSettingsStore::warnsExactlyWhenNotStored()
{
    QFETCH(QByteArray, slot);
    QFETCH(bool, stored);
    const QString folder = QFileInfo(settings.filePath()).path();
    QFile blocker(stored ? folder + ".conf" : folder);
    QVERIFY(QDir(blocker.fileName()).removeRecursively()
        && (stored ? QDir().mkpath(blocker.fileName()) : blocker.open(QIODevice::WriteOnly)));
    const auto unblock
        = qScopeGuard([&] { QDir(blocker.fileName()).removeRecursively(), blocker.remove(); });
    probe().normalFontSize() = 21;
    for (int confirmation = 0; confirmation < 2; ++confirmation) {
        if (!stored)
            QTest::ignoreMessage(QtWarningMsg,
                QRegularExpression("^Velmoran could not write its settings to .*/Velmoran/"
                                   "Brisquel.conf: the change holds until Velmoran closes.$"));
        const QString opened = answerModal<QDialog>([&] { probe().call(slot); },
            [](QDialog *modal) {
                if (auto *input = qobject_cast<QInputDialog *>(modal))
                    input->setTextValue(QStringLiteral("new, and more"));
                modal->accept();
            });
        QCOMPARE(opened.endsWith(", then Settings Warning"), !stored);
    }
    QVERIFY(label()->text().contains(probe().customText() + " at "));
    QVERIFY(label()->text().contains(probe().comment() + "</div>"));
    QFile store(settings.filePath());
    QCOMPARE(
        store.open(QIODevice::ReadOnly) && store.readAll().contains("normalFontSize=21"), stored);
}

// A lock that another program holds beside the store, as long as it holds it.
void TestSettingsStore::heldLockHoldsOnlyTheWrite()
{
    QVERIFY(QDir().mkpath(QFileInfo(settings.filePath()).path()));
    QLockFile held(settings.filePath() + ".lock");
    QVERIFY(held.lock());
    const QString opened = answerModal<QInputDialog>([&] { probe().call("showCommentDialog"); },
        [](QInputDialog *input) {
            input->setTextValue(QStringLiteral("Hello"));
            input->accept();
        });
    QCOMPARE(opened, QStringLiteral("コメント")); // and no warning
    QVERIFY(!settings.exists());
    held.unlock();
    QTRY_COMPARE(settings.value("ui/comment").toString(), QStringLiteral("Hello"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSettingsStore::unconfirmedDialogWritesNothing_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<bool>("accept");
    QTest::newRow("text cancelled") << QByteArray("showCustomTextDialog") << false;
    QTest::newRow("empty text confirmed") << QByteArray("showCustomTextDialog") << true;
    QTest::newRow("comment cancelled") << QByteArray("showCommentDialog") << false;
    QTest::newRow("speed cancelled") << QByteArray("showSettingsDialog") << false;
}

void TestSettingsStore::unconfirmedDialogWritesNothing()
{
    QFETCH(QByteArray, slot);
    QFETCH(bool, accept);
    const QString opened = answerModal<QDialog>([&] { probe().call(slot); },
        [&](QDialog *modal) {
            if (auto *input = qobject_cast<QInputDialog *>(modal))
                input->setTextValue(QString());
            accept ? modal->accept() : modal->reject();
        });
    QVERIFY(!opened.isEmpty());
    QVERIFY(!settings.exists());
    QCOMPARE(probe().customText(), QStringLiteral("Nothing to do"));
}

void TestSettingsStore::saveWritesBackWhatWasLoaded()
{
    settings.write({ { "dvd/minSpeed", 10 }, { "dvd/maxSpeed", -3 }, { "ui/normalFontSize", 0 },
        { "ui/fullscreenFontSize", 2147483647 } });
    probe().saveSettings();
    QCOMPARE(settings.value("dvd/minSpeed").toInt(), 10);
    QCOMPARE(settings.value("dvd/maxSpeed").toInt(), -3);
    QCOMPARE(settings.value("ui/normalFontSize").toInt(), 0);
    QCOMPARE(settings.value("ui/fullscreenFontSize").toInt(), 2147483647);
    QCOMPARE(settings.value("ui/customText").toString(), QStringLiteral("Nothing to do"));
}

QTEST_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
