#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

enum class Shape { File, Directory, Unreadable, ReadOnly };

QByteArray ini(const QByteArray &dvd, const QByteArray &ui)
{
    return "[dvd]\n" + dvd + "\n[ui]\n" + ui + "\n";
}

QByteArray randomBytes(int size)
{
    QRandomGenerator generator(20261207);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QByteArray currentState(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return "directory";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "unreadable";
    return QByteArray::number(int(info.permissions()), 16) + ':' + file.readAll();
}

} // namespace

// Settings files that the program never writes itself: whatever the store holds, the program
// starts, takes its keys, ends with exit code 0 and leaves the store as it found it, since
// nothing was confirmed.
class TestHostileSettings : public QObject
{
    Q_OBJECT

private slots:
    void survives_data();
    void survives();
};

void TestHostileSettings::survives_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<Shape>("shape");
    const QByteArray megabyte(1 << 20, 'm');

    QTest::newRow("wrong types") << ini("minSpeed=@Rect(1 2 3 4)\nmaxSpeed=@ByteArray(\x01\x02)",
        "customText=a, b, c\ncomment=@Variant(\\0\\0\\0\\x7f)\n"
        "normalFontSize=@Size(3 4)\nfullscreenFontSize=true")
                                 << Shape::File;
    QTest::newRow("empty values") << ini("minSpeed=\nmaxSpeed=",
        "customText=\ncomment=\nnormalFontSize=\n"
        "fullscreenFontSize=") << Shape::File;
    QTest::newRow("not numbers") << ini(
        "minSpeed=slow\nmaxSpeed=fast", "normalFontSize=big\nfullscreenFontSize=0x48")
                                 << Shape::File;
    QTest::newRow("huge numbers") << ini("minSpeed=99999999999999999999\nmaxSpeed=1e308",
        "normalFontSize=2147483648\nfullscreenFontSize=-1e99")
                                  << Shape::File;
    QTest::newRow("negative speeds") << ini("minSpeed=-100\nmaxSpeed=-1", "") << Shape::File;
    QTest::newRow("max below min") << ini("minSpeed=90\nmaxSpeed=3", "") << Shape::File;
    QTest::newRow("int limits") << ini("minSpeed=-2147483648\nmaxSpeed=2147483647", "")
                                << Shape::File;
    QTest::newRow("font sizes 0") << ini("", "normalFontSize=0\nfullscreenFontSize=0")
                                  << Shape::File;
    QTest::newRow("font sizes at the int limits")
        << ini("", "normalFontSize=2147483647\nfullscreenFontSize=-2147483648") << Shape::File;
    QTest::newRow("a megabyte of text")
        << ini("", "customText=" + megabyte + "\ncomment=" + megabyte) << Shape::File;
    QTest::newRow("invalid UTF-8") << ini("",
        "customText=\xff\xfe\xc3\x28 \xed\xa0\x80\n"
        "comment=\xc0\xaf\xe2\x82") << Shape::File;
    QTest::newRow("markup and placeholders") << ini("",
        "customText=<b>%1</b> %2 %5 <i>%9 <table><tr><td>%3\n"
        "comment=<img src=\"/dev/zero\"> %4 <font size=7>%L1</font> &amp; &#0; <")
                                             << Shape::File;
    QTest::newRow("images that are no files") << ini("",
        "customText=<img src=\"/dev/zero\"><img src=\"file:///dev/urandom\">\n"
        "comment=<img src=\"/proc/self/fd/0\"><img src=\"/\">"
        "<img width=100000 height=100000 src=\"missing.png\"><img src=/dev/zero width=9 height=9>")
                                              << Shape::File;
    QTest::newRow("tables nested 25 deep")
        << ini("", "customText=" + QByteArray("<table><tr><td>").repeated(25) + "deep")
        << Shape::File;
    QTest::newRow("a table 5000 cells wide")
        << ini("", "comment=<table><tr>" + QByteArray("<td>x").repeated(5000) + "</table>")
        << Shape::File;
    QTest::newRow("truncated") << QByteArray("[dvd]\nminSpeed=3\nmaxSpe") << Shape::File;
    QTest::newRow("unterminated group") << QByteArray("[ui\ncustomText=x") << Shape::File;
    QTest::newRow("NUL bytes") << ini("minSpeed=\0"
                                      "5",
        "customText=a\0b") << Shape::File;
    QTest::newRow("random bytes") << randomBytes(64 * 1024) << Shape::File;
    QTest::newRow("a directory instead") << QByteArray() << Shape::Directory;
    QTest::newRow("unreadable") << ini("minSpeed=7", "customText=secret") << Shape::Unreadable;
    QTest::newRow("read-only") << ini("minSpeed=7", "customText=kept") << Shape::ReadOnly;
}

void TestHostileSettings::survives()
{
    QFETCH(QByteArray, contents);
    QFETCH(Shape, shape);
    Desktop desktop;
    const QString path = desktop.settingsPath();
    if (shape == Shape::Directory)
        QVERIFY(QDir().mkpath(path));
    else
        desktop.writeSettings(contents);
    if (shape == Shape::Unreadable)
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    if (shape == Shape::ReadOnly)
        QVERIFY(QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    if (shape == Shape::Unreadable || shape == Shape::ReadOnly)
        desktop.dropPrivileges();
    const QByteArray before = currentState(path);

    QVERIFY(desktop.start());
    desktop.activate();
    desktop.key("f");
    QTRY_COMPARE_WITH_TIMEOUT(desktop.geometry(), QRect(0, 0, 1920, 1080), 5000);
    // Lets a tick of the counter render the stored values at the full-screen size; no sign
    // outside the program tells when one has.
    QTest::qWait(1000);
    desktop.key("d d s");
    QTRY_VERIFY_WITH_TIMEOUT(
        !desktop.findWindow(QStringLiteral("DVD Speed Setting")).isEmpty(), 10000);
    desktop.key("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(
        desktop.findWindow(QStringLiteral("DVD Speed Setting")).isEmpty(), 10000);
    QCOMPARE(desktop.close(), 0);
    QCOMPARE(currentState(path), before);
}

QTEST_GUILESS_MAIN(TestHostileSettings)
#include "tst_hostilesettings.moc"
