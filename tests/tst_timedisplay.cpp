#include "showntext.h"
#include "slowgif.h"
#include "testsupport.h"

#include <QAccessible>
#include <QInputDialog>
#include <QLabel>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString labelText(
    int size, const QString &text, const QString &time, int commentSize, const QString &comment)
{
    return QStringLiteral("<div style='font-size: ") + QString::number(size)
        + QStringLiteral("px; font-weight: bold;'>") + text + QStringLiteral(" at ") + time
        + QStringLiteral("</div><div style='font-size: ") + QString::number(commentSize)
        + QStringLiteral("px; font-weight: bold;'>") + comment + QStringLiteral("</div>");
}

// The label's text as a screen reader reads it, and as it stands on screen.
QString plainText(QLabel *label)
{
    return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

QString styleSheet(int size)
{
    return QStringLiteral("QLabel { font-size: ") + QString::number(size)
        + QStringLiteral("px; font-weight: bold; margin: 0px; padding: 0px; border: 0px; }");
}

} // namespace

class TestTimeDisplay : public WindowTest
{
    Q_OBJECT

private slots:
    void counterFormat_data();
    void counterFormat();
    void fontSizes_data();
    void fontSizes();
    void userTextShownAsItStands_data();
    void userTextShownAsItStands();
    void overlongTextShowsItsBeginning_data();
    void overlongTextShowsItsBeginning();
    void costlyOrUnsafeMarkupShowsAsText_data();
    void costlyOrUnsafeMarkupShowsAsText();
    void imageReadOnceWhileUnchanged();
    void everyRenderAdvancesTheCounter();
    void resetShowsZeroAtOnce();
    void fullscreenTogglesSizeLimitsAndStyle();
    void hostileFontSizesRender_data();
    void hostileFontSizesRender();
    void textDialog_data();
    void textDialog();
    void dialogsAskInJapanese_data();
    void dialogsAskInJapanese();

private:
    QString imageOfSize(int width, int height, const char *format = "png");
    QString fixture(const QString &name, const QByteArray &content);

    QTemporaryDir images;
};

QString TestTimeDisplay::imageOfSize(int width, int height, const char *format)
{
    const QString path
        = images.filePath(QStringLiteral("%1x%2.%3").arg(width).arg(height).arg(format));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path, format);
    return path;
}

QString TestTimeDisplay::fixture(const QString &name, const QByteArray &content)
{
    QFile file(images.filePath(name));
    const bool written = file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    return written ? file.fileName() : QString();
}

void TestTimeDisplay::counterFormat_data()
{
    QTest::addColumn<int>("elapsed");
    QTest::addColumn<QString>("time");
    QTest::newRow("zero") << 0 << "00:00:00";
    QTest::newRow("59 s") << 59 << "00:00:59";
    QTest::newRow("1 min") << 60 << "00:01:00";
    QTest::newRow("last of the hour") << 3599 << "00:59:59";
    QTest::newRow("1 h") << 3600 << "01:00:00";
    QTest::newRow("last of the day") << 86399 << "23:59:59";
    QTest::newRow("24 h, no wrap") << 86400 << "24:00:00";
    QTest::newRow("100 h") << 360000 << "100:00:00";
}

void TestTimeDisplay::counterFormat()
{
    QFETCH(int, elapsed);
    QFETCH(QString, time);
    probe().elapsedSeconds() = elapsed;
    probe().call("updateTimeDisplay");
    QCOMPARE(label()->text(), labelText(18, "Nothing to do", time, 14, "..."));
}

void TestTimeDisplay::fontSizes_data()
{
    QTest::addColumn<int>("normal");
    QTest::addColumn<int>("fullscreen");
    QTest::addColumn<bool>("isFullScreen");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("commentSize");
    QTest::newRow("defaults, window") << 18 << 72 << false << 18 << 14;
    QTest::newRow("defaults, full screen") << 18 << 72 << true << 72 << 57;
    QTest::newRow("1 gives a comment of 0") << 1 << 72 << false << 1 << 0;
    QTest::newRow("5 gives 4") << 5 << 72 << false << 5 << 4;
}

void TestTimeDisplay::fontSizes()
{
    QFETCH(int, normal);
    QFETCH(int, fullscreen);
    QFETCH(bool, isFullScreen);
    QFETCH(int, size);
    QFETCH(int, commentSize);
    settings.write({ { "ui/normalFontSize", normal }, { "ui/fullscreenFontSize", fullscreen } });
    window().show();
    if (isFullScreen)
        probe().call("toggleFullscreen");
    QCOMPARE(label()->styleSheet(), styleSheet(size));
    probe().call("resetTimer");
    QCOMPARE(label()->text(), labelText(size, "Nothing to do", "00:00:00", commentSize, "..."));
}

void TestTimeDisplay::userTextShownAsItStands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::newRow("markup") << "<i>Writing</i>"
                            << "<b>quiet</b> please";
    QTest::newRow("placeholders in the text") << "%1 %2 %3 %4 %5"
                                              << "...";
    QTest::newRow("placeholders in the comment") << "Busy"
                                                 << "50%3 done, %9 left";
    QTest::newRow("spaces only") << "   "
                                 << " ";
    QTest::newRow("empty comment") << "Busy"
                                   << "";
}

void TestTimeDisplay::userTextShownAsItStands()
{
    QFETCH(QString, text);
    QFETCH(QString, comment);
    probe().customText() = text;
    probe().comment() = comment;
    probe().call("resetTimer");
    QCOMPARE(label()->text(), labelText(18, text, "00:00:00", 14, comment));
}

void TestTimeDisplay::overlongTextShowsItsBeginning_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    const QString longest(512, 'x');
    QTest::newRow("longest shown") << longest << longest;
    QTest::newRow("one more") << longest + 'y' << longest;
    QTest::newRow("a megabyte") << QString(1 << 20, 'z') << QString(512, 'z');
    const QString emoji = QStringLiteral("\U0001F600");
    QTest::newRow("no half a character") << QString(511, 'x') + emoji << QString(511, 'x');
    const QString title = "<b title=\"" + QString(100, 'z') + "\">x</b>";
    QTest::newRow("cut in an attribute") << QString(505, 'A') + title << QString(505, 'A');
    QTest::newRow("cut in a table")
        << QString(509, 'A') + "<table><tr><td>x</table>" << QString(509, 'A');
    QTest::newRow("no half a reference") << QString(508, 'A') + "&amp; more" << QString(508, 'A');
    QTest::newRow("markup up to the last whole tag")
        << QString("<b>ab</b>").repeated(100) << QString("<b>ab</b>").repeated(56) + "<b>ab";
}

// The window shows no more than the beginning of a long text; the store keeps it whole.
void TestTimeDisplay::overlongTextShowsItsBeginning()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    settings.write({ { "ui/customText", stored }, { "ui/comment", stored } });
    QCOMPARE(label()->text(), labelText(18, shown, "00:00:00", 14, shown));
    QVERIFY(plainText(label()).contains(" at 00:00:00\n"));
    probe().saveSettings();
    QCOMPARE(settings.value("ui/customText").toString(), stored);
}

void TestTimeDisplay::costlyOrUnsafeMarkupShowsAsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asMarkup");
    const QString image = QFINDTESTDATA("tst_timedisplay.cpp"); // a small regular file
    QTest::newRow("no resources") << "<b>bold</b>" << true;
    QTest::newRow("regular file") << "<img src=\"" + image + "\">" << true;
    QTest::newRow("missing file") << "<img src=\"/nonexistent/x.png\">" << true;
    QTest::newRow("data URL") << "<img src=\"data:image/png;base64,AAAA\">" << true;
    QTest::newRow("data URL of a large image") // the header of a 1000x1000 pixmap
        << "<img src=\"data:image/x-portable-pixmap;base64,UDYgMTAwMCAxMDAwIDI1NQo=\">" << false;
    QTest::newRow("web address, never fetched") << "<img src=\"http://a.invalid/b.png\">" << true;
    QTest::newRow("device") << "<img src=\"/dev/zero\">" << false;
    QTest::newRow("device as file URL") << "<img src=\"file:///dev/urandom\">" << false;
    QTest::newRow("directory") << "x <img src=\"/\"> y" << false;
    QTest::newRow("style sheet link, which hides all that follows")
        << "<link rel=\"stylesheet\" href=\"/dev/zero\">x" << false;
    QTest::newRow("background from a device")
        << "<table background=\"/dev/zero\"><tr><td>x</td></tr></table>" << false;
    QTest::newRow("device drawn at a given size")
        << "<img src=/dev/zero width=9 height=9>" << false;
    QTest::newRow("a file of the kernel's") << "<img src=\"/proc/self/status\">" << false;
    // Names that the file system reads only up to a NUL, or that a URL reads as a host.
    QTest::newRow("NUL typed as %00") << "Lunch <img src=\"/dev/zero%00\"> soon" << false;
    QTest::newRow("NUL as a reference") << "<img src=\"/dev/zero&#0;\"> soon" << false;
    QTest::newRow("NUL as it stands")
        << "<img src=\"/dev/zero" + QString(QChar(0)) + "\">" << false;
    QTest::newRow("network path") << "<img src=\"//dev/zero\">" << false;
    QTest::newRow("background as a network path")
        << "<table background=\"//dev/zero\"><tr><td>x</td></tr></table>" << false;
    const QString pipe = images.filePath("pipe");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QTest::newRow("pipe before %00") << "<img src=\"" + pipe + "%00\">" << false;
    QTest::newRow("pipe as a network path") << "<img src=\"/" + pipe + "\">" << false;
    QTest::newRow("an escaped name, read as the file it decodes to")
        << "<img src=\"" + imageOfSize(9, 9).replace(".png", "%2Epng") + "\">" << true;
    // A style sheet reaches the time and the comment, and the files that they name.
    QTest::newRow("style sheet") << "<style>div { background-image: url(/dev/zero) }</style>x"
                                 << false;
    QTest::newRow("style sheet, after a no-break space and spelled with a reference")
        << "<\u00a0st&#121;le>div { background: url(//dev/zero) }</style>x" << false;

    const QString ordinary = "<b>Busy</b> <i>now</i><br><font color=red>red</font> "
                             "<span style='font-size: 30px; color: #0a0'>big</span>"
                             "<table border=1><tr><td>a<td>b<tr><td>c<td>d</table>"
                             "<ul><li>one<li>two</ul><img src=\""
        + imageOfSize(32, 32) + "\">";
    QTest::newRow("ordinary markup") << ordinary << true;
    const auto repeated = [](const QString &part, int times) {
        return part.repeated(times);
    };
    QTest::newRow("tables 2 deep") << repeated("<table><tr><td>", 2) + "x" << true;
    QTest::newRow("tables 3 deep") << repeated("<table><tr><td>", 3) + "x" << false;
    QTest::newRow("16 lines") << repeated("x<br>", 15) + "x" << true;
    QTest::newRow("17 lines") << repeated("x<p>", 16) + "x" << false;
    QTest::newRow("a cell spanning two columns")
        << "<table><tr><td colspan=2>Sprint</td></tr><tr><td>A</td><td>B</td></tr></table>" << true;
    QTest::newRow("spanning 8 columns") << "<table><tr><td colspan=8>x</table>" << true;
    QTest::newRow("spanning 9 columns") << "<table><tr><td colspan=' 9'>x</table>" << false;
    QTest::newRow("spanning, spelled with a reference")
        << "<table><tr><td c&#111;lspan=20480>x</table>" << false;
    QTest::newRow("the word colspan") << "<b>colspan</b> is a word" << true;
    QTest::newRow("an open attribute quote") << "Working on <a href='x" << false;
    QTest::newRow("an open tag") << "Meeting <Bob" << false;
    QTest::newRow("an open comment") << "<!-- note" << false;
    QTest::newRow("4 images") << repeated("<img src=missing.png>", 4) << true;
    QTest::newRow("5 images") << repeated("<img src=missing.png>", 5) << false;
    const auto imageTag = [this](int width, int height, const char *format = "png") {
        return "<img src=\"" + imageOfSize(width, height, format) + "\">";
    };
    QTest::newRow("an icon of 200x200") << imageTag(200, 200) + " on call" << true;
    QTest::newRow("two of about 256x256") << imageTag(256, 256) + imageTag(256, 255) << true;
    QTest::newRow("three of them")
        << imageTag(256, 256) + imageTag(256, 255) + imageTag(255, 255) << false;
    QTest::newRow("one row more") << imageTag(256, 257) << false;
    // Only images whose decoding is bounded are decoded; the label decodes none.
    QTest::newRow("a PNG icon") << imageTag(48, 48) + " on call" << true;
    QTest::newRow("a JPEG icon") << imageTag(48, 48, "jpeg") + " on call" << true;
    QTest::newRow("a BMP icon") << imageTag(48, 48, "bmp") + " on call" << true;
    QTest::newRow("a GIF icon") << "<img src=\""
            + fixture("dot.gif",
                QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"))
            + "\"> on call" << true;
    QByteArray curves
        = "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'><path d='M0,0";
    for (int i = 0; i < 15000; ++i)
        curves += QByteArray(" C%1,2 3,%1 %1,9").replace("%1", QByteArray::number(i % 64));
    QTest::newRow("a drawing of many curves")
        << "<img src=\"" + fixture("curves.svg", curves + "'/></svg>") + "\"> Lunch" << false;
    QTest::newRow("a drawing that names a pipe") << "<img src=\""
            + fixture("piped.svg",
                "<svg xmlns='http://www.w3.org/2000/svg' xmlns:x='http://www.w3.org/1999/xlink'>"
                "<image x:href='"
                    + pipe.toUtf8() + "' width='9' height='9'/></svg>")
            + "\">" << false;
    QTest::newRow("data that the GIF reader takes for an image of 1273x25986") // found by fuzzing
        << "<img src=\""
            + fixture("gif.img",
                QByteArray::fromHex("474900381021f90400000000002c003c726563741000008366b23b"))
            + "\">"
        << false;
    QTest::newRow("a GIF that takes seconds to decode")
        << "<img src=\"" + fixture("slow.gif", slowGif()) + "\">" << false;
    QFile icon(imageOfSize(48, 48));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    const QByteArray lying = icon.readAll().chopped(12) // its end chunk
        + QByteArray::fromHex("23000025") + "tEXtComment" + '\0' + 'x';
    QTest::newRow("a PNG with a text chunk said to hold 587 MB, a broken image") // found by fuzzing
        << "<img src=\"" + fixture("lying.png", lying) + "\">" << true;
}

// Rich text reads the files that it names, and the label lays it out every second: a device or
// a pipe would never end, and markup past the bounds would take the window's time.
void TestTimeDisplay::costlyOrUnsafeMarkupShowsAsText()
{
    QFETCH(QString, text);
    QFETCH(bool, asMarkup);
    // Each image goes only to the decoder of its format: the others would log that it isn't theirs.
    QTest::failOnWarning(QRegularExpression("Not a JPEG file"));
    probe().customText() = text;
    awaitImages({ text }, QDeadlineTimer(5000));
    probe().call("resetTimer");
    const QString shown = asMarkup ? text : text.toHtmlEscaped();
    QCOMPARE(label()->text(), labelText(18, shown, "00:00:00", 14, "..."));
    const QString plain = plainText(label());
    QVERIFY2(plain.contains("at 00:00:00") && plain.endsWith("\n..."), qPrintable(plain));
}

// The sign reads an image as its file changes, and the label never reads it: a render asks only,
// at most once a second, whether the file changed.
void TestTimeDisplay::imageReadOnceWhileUnchanged()
{
    const QString path = images.filePath("later.png");
    const QString text = "<img src=\"" + path + "\"> on call";
    const auto rendered = [this] {
        probe().call("resetTimer");
        return label()->text();
    };
    const auto shown = [&](QRgb colour) { // pixels of the colour in the window after a render
        rendered();
        const QImage shot = window().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(shot.constBits());
        return int(std::count(pixels, pixels + shot.width() * shot.height(), colour));
    };
    const int opens = ::inotify_init1(IN_NONBLOCK);
    ::inotify_add_watch(opens, QFile::encodeName(images.path()).constData(), IN_OPEN);
    const auto opened = [opens] { // files opened in the folder since last asked
        alignas(inotify_event) char events[4096];
        int count = 0;
        for (qint64 size = ::read(opens, events, sizeof events), at = 0; at < size; ++count)
            at += sizeof(inotify_event) + reinterpret_cast<inotify_event *>(events + at)->len;
        return count;
    };
    probe().customText() = text;
    QCOMPARE(shown(qRgb(255, 0, 0)), 0); // missing: the placeholder
    for (const auto &[colour, side] : { std::pair(qRgb(255, 0, 0), 8), { qRgb(0, 0, 255), 9 } }) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(path));
        opened();
        QTRY_COMPARE(shown(colour), side * side);
        QCOMPARE(opened(), 1); // read by the sign
        QTest::qWait(2000); // while the window renders and checks the file again
        QCOMPARE(shown(colour), side * side);
        QCOMPARE(opened(), 0); // and by no one since: the kernel would merge two opens in a row
    }
    ::close(opens);
    QFile::remove(path);
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QTRY_COMPARE(rendered(), labelText(18, text.toHtmlEscaped(), "00:00:00", 14, "..."));
}

void TestTimeDisplay::everyRenderAdvancesTheCounter()
{
    QCOMPARE(probe().elapsedSeconds(), 1);
    probe().call("updateTimeDisplay");
    probe().call("updateTimeDisplay");
    QVERIFY(label()->text().contains("00:00:02"));
    QCOMPARE(probe().elapsedSeconds(), 3);
}

void TestTimeDisplay::resetShowsZeroAtOnce()
{
    probe().elapsedSeconds() = 4000;
    probe().call("resetTimer");
    QVERIFY(label()->text().contains("00:00:00"));
    QCOMPARE(probe().elapsedSeconds(), 1);
    QVERIFY(probe().clockTimer()->isActive());
}

void TestTimeDisplay::fullscreenTogglesSizeLimitsAndStyle()
{
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));

    probe().call("toggleFullscreen");
    QVERIFY(window().isFullScreen());
    QCOMPARE(window().minimumSize(), QSize(0, 0));
    QCOMPARE(window().maximumSize(), QSize(16777215, 16777215));
    QCOMPARE(label()->styleSheet(), styleSheet(72));
    QTRY_COMPARE(window().size(), QSize(1920, 1080));
    // The lines keep their sizes until the next render.
    QVERIFY(label()->text().startsWith("<div style='font-size: 18px;"));

    probe().call("toggleFullscreen");
    QVERIFY(!window().isFullScreen());
    QCOMPARE(window().minimumSize(), QSize(280, 150));
    QCOMPARE(window().maximumSize(), QSize(280, 150));
    QCOMPARE(label()->styleSheet(), styleSheet(18));
    QTRY_COMPARE(window().size(), QSize(280, 150));
}

void TestTimeDisplay::hostileFontSizesRender_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -40;
    QTest::newRow("int min") << std::numeric_limits<int>::min();
    QTest::newRow("huge") << 100000;
    QTest::newRow("int max") << std::numeric_limits<int>::max();
}

void TestTimeDisplay::hostileFontSizesRender()
{
    QFETCH(int, size);
    settings.write({ { "ui/normalFontSize", size }, { "ui/fullscreenFontSize", size } });
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    probe().call("toggleFullscreen");
    probe().call("updateTimeDisplay");
    QCOMPARE(window().grab().isNull(), false);
    probe().call("toggleFullscreen");
    probe().call("updateTimeDisplay");
    QCOMPARE(window().grab().size(), QSize(280, 150));
    QCOMPARE(probe().normalFontSize(), size);
}

void TestTimeDisplay::textDialog_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("elapsed");
    QTest::newRow("text confirmed")
        << QByteArray("showCustomTextDialog") << "Coffee" << true << "Coffee"
        << "..." << 2;
    QTest::newRow("text kept untrimmed")
        << QByteArray("showCustomTextDialog") << " a b " << true << " a b "
        << "..." << 2;
    QTest::newRow("empty text refused")
        << QByteArray("showCustomTextDialog") << "" << true << "Nothing to do"
        << "..." << 1;
    QTest::newRow("text cancelled")
        << QByteArray("showCustomTextDialog") << "Coffee" << false << "Nothing to do"
        << "..." << 1;
    QTest::newRow("comment confirmed")
        << QByteArray("showCommentDialog") << "brb" << true << "Nothing to do"
        << "brb" << 2;
    QTest::newRow("empty comment taken")
        << QByteArray("showCommentDialog") << "" << true << "Nothing to do"
        << "" << 2;
    QTest::newRow("comment cancelled")
        << QByteArray("showCommentDialog") << "brb" << false << "Nothing to do"
        << "..." << 1;
}

void TestTimeDisplay::textDialog()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, entered);
    QFETCH(bool, accept);
    QFETCH(QString, text);
    QFETCH(QString, comment);
    QFETCH(int, elapsed);
    const QString opened = answerModal<QInputDialog>([&] { probe().call(slot); },
        [&](QInputDialog *input) {
            input->setTextValue(entered);
            accept ? input->accept() : input->reject();
        });
    QVERIFY(!opened.isEmpty());
    QCOMPARE(probe().customText(), text);
    QCOMPARE(probe().comment(), comment);
    QCOMPARE(probe().elapsedSeconds(), elapsed);
    QCOMPARE(settings.exists(), elapsed == 2);
    QAccessibleInterface *sign = QAccessible::queryAccessibleInterface(&window());
    QCOMPARE(sign->text(QAccessible::Description), text.simplified() + '\n' + comment);
    // A screen reader speaks the name as the window takes the focus.
    QCOMPARE(sign->text(QAccessible::Name), "Velmoran: " + sign->text(QAccessible::Description));
    if (elapsed == 2)
        QCOMPARE(label()->text(), labelText(18, text, "00:00:01", 14, comment));
}

void TestTimeDisplay::dialogsAskInJapanese_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("initial");
    QTest::newRow("text") << QByteArray("showCustomTextDialog") << "カスタムテキスト"
                          << "表示するテキストを入力してください:"
                          << "Nothing to do";
    QTest::newRow("comment") << QByteArray("showCommentDialog") << "コメント"
                             << "コメントを入力してください:"
                             << "...";
}

void TestTimeDisplay::dialogsAskInJapanese()
{
    QFETCH(QByteArray, slot);
    QFETCH(QString, title);
    QFETCH(QString, label);
    QFETCH(QString, initial);
    QString seenLabel, seenInitial;
    QLineEdit::EchoMode seenEcho = QLineEdit::Password;
    QWidget *seenParent = nullptr;
    const QString seenTitle = answerModal<QInputDialog>([&] { probe().call(slot); },
        [&](QInputDialog *input) {
            seenLabel = input->labelText();
            seenInitial = input->textValue();
            seenEcho = input->textEchoMode();
            seenParent = input->parentWidget();
        });
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenLabel, label);
    QCOMPARE(seenInitial, initial);
    QCOMPARE(seenEcho, QLineEdit::Normal);
    QCOMPARE(seenParent, &window());
}

QTEST_MAIN(TestTimeDisplay)
#include "tst_timedisplay.moc"
