#include "showntext.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <QWidget>

#include <sys/statvfs.h>

#include <algorithm>
#include <optional>

namespace {

// The label lays its text out anew every second, and several times as the window is shown, so
// what it may be given is bounded: the heaviest text within these bounds costs about as much as
// the default text. Past them the cost grows without limit; every level of tables within tables
// doubles it. The window shows a few dozen characters, full screen a few hundred.
constexpr qsizetype mostCharacters = 512;
constexpr int mostLines = 16; // paragraphs, list items, table cells and line breaks
constexpr int deepestNesting = 2; // a table within a table
constexpr int mostColumnSpan = 8; // every column spanned is a cell in every row of its table
constexpr int mostImages = 4; // each is read and decoded at every render
constexpr qint64 mostPixelsPerImage = 256 * 256; // an icon
constexpr qint64 mostImagePixels = 2 * 256 * 256; // all images together
constexpr qint64 largestImageFile = 1024 * 1024;

// A cut is tried before one of the text's last few tags or references, no further back.
constexpr int mostCutAttempts = 16;
// Far enough past a cut to finish any character reference that the cut may have split.
constexpr qsizetype referenceLength = 10;

// Texts change only through the dialogs, and each distinct one is parsed once.
constexpr qsizetype mostRememberedTexts = 64;

// Stands where the label's own markup resumes after the text; no one types it.
const QString marker = QStringLiteral("\uE000");

// Stands in for rich text's resource loader: notes what the markup would read, reads nothing.
// It answers with a real image, or the document would try the name as a file itself.
class ResourceProbe : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE QVariant loadResource(int, const QUrl &url)
    {
        if (!requested.contains(url))
            requested.append(url);
        return QImage(1, 1, QImage::Format_ARGB32);
    }

    QList<QUrl> requested;
};

qsizetype cutLength(const QString &text)
{
    if (text.size() <= mostCharacters)
        return text.size();
    return text.at(mostCharacters - 1).isHighSurrogate() ? mostCharacters - 1 : mostCharacters;
}

QString plainTextOf(const QString &markup)
{
    ResourceProbe probe;
    QTextDocument document(&probe);
    document.setHtml(markup);
    return document.toPlainText();
}

// Whether the parser is back in the text's own content at its end, so that what the label puts
// after it (" at" and the time, the comment) is read as such: a marker placed there must come out
// as text, and what the beginning shows must not change once the characters after it follow.
bool endsInContent(const QString &beginning, const QString &following)
{
    if (beginning.contains(marker))
        return false;
    const QString shown = plainTextOf(beginning + marker);
    const qsizetype end = shown.indexOf(marker);
    return end >= 0
        && (following.isEmpty()
            || plainTextOf(beginning + following).startsWith(QStringView(shown).left(end)));
}

// The longest beginning, up to the bound, after which the label's own markup is read as markup:
// the bound itself, or else just before one of the last tags or references that it would split.
std::optional<QString> markupBeginning(const QString &text)
{
    qsizetype end = cutLength(text);
    for (int attempt = 0; attempt < mostCutAttempts && end > 0; ++attempt) {
        const QString beginning = text.left(end);
        if (endsInContent(beginning, text.mid(end, referenceLength)))
            return beginning;
        if (end == text.size())
            return std::nullopt; // the whole text leaves its markup open
        end = std::max(
            beginning.lastIndexOf(QLatin1Char('<')), beginning.lastIndexOf(QLatin1Char('&')));
    }
    return std::nullopt;
}

// The parser decodes character references everywhere, tag and attribute names included, so a word
// in the markup is sought with them decoded as the parser decodes them.
// The parser takes any Unicode space, a no-break space included, for a space.
constexpr QRegularExpression::PatternOptions wordOptions
    = QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;

QString withReferencesDecoded(const QString &markup)
{
    static const QRegularExpression reference(QStringLiteral("&#([xX]?)([^;&\\s]{1,8});"));
    QString decoded;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : reference.globalMatch(markup)) {
        bool ok = false;
        const char32_t code = match.capturedView(2).toUInt(&ok, match.capturedLength(1) ? 16 : 10);
        decoded += QStringView(markup).mid(done, match.capturedStart() - done);
        decoded += ok ? QString::fromUcs4(&code, 1) : match.captured();
        done = match.capturedEnd();
    }
    decoded += QStringView(markup).mid(done);
    return decoded;
}

// One cell may span up to 20,480 columns, and the parser makes that many cells for every row of
// its table before anything could be counted: the spans are read before the text is parsed.
bool spansTooManyColumns(const QString &decodedMarkup)
{
    static const QRegularExpression span(
        QStringLiteral("colspan\\s*=\\s*[\"']?\\s*\\+?(\\d+)"), wordOptions);
    for (const QRegularExpressionMatch &match : span.globalMatch(decodedMarkup)) {
        bool ok = false;
        const qulonglong columns = match.capturedView(1).toULongLong(&ok);
        if (!ok || columns > mostColumnSpan)
            return true;
    }
    return false;
}

// A style sheet applies to the whole label, the time and the other line included, and may name
// further files in rules and imports: what it would make the label read can't be told from the
// text alone.
bool holdsStyleSheet(const QString &decodedMarkup)
{
    static const QRegularExpression sheet(QStringLiteral("<\\s*(style|link)\\b"), wordOptions);
    return decodedMarkup.contains(sheet);
}

int lineCount(const QTextDocument &document)
{
    return document.blockCount() + int(document.toRawText().count(QChar::LineSeparator));
}

int nestingDepth(const QTextFrame *frame)
{
    int deepest = 0;
    for (const QTextFrame *child : frame->childFrames())
        deepest = std::max(deepest, 1 + nestingDepth(child));
    return deepest;
}

// One name for every image: where the document finds no image under a name, the image handler
// opens the name itself as a file.
QStringList imageNames(const QTextDocument &document)
{
    QStringList names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (int image = 0; format.isImageFormat() && image < it.fragment().length(); ++image)
                names.append(format.toImageFormat().name());
        }
    }
    return names;
}

// Lays the document out and paints it, so that it asks for every image that the label would
// read: images of a given size are read only as they are painted.
void paint(QTextDocument &document)
{
    QPicture picture;
    QPainter painter(&picture);
    document.drawContents(&painter);
}

// The kernel's virtual file systems (proc, sysfs, debugfs, ...) store nothing: their files may
// block, never end, or change as they are read.
bool isStoredFile(const QString &path)
{
    struct statvfs fileSystem;
    return ::statvfs(QFile::encodeName(path).constData(), &fileSystem) == 0
        && fileSystem.f_blocks > 0;
}

std::optional<qint64> pixelsIn(QImageReader &reader)
{
    const QSize size = reader.size();
    if (size.isValid())
        return qint64(size.width()) * size.height();
    if (reader.canRead())
        return std::nullopt; // an image whose size can't be told without decoding it
    return 0; // no image at all: the label shows its placeholder
}

bool isDataUrl(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0;
}

std::optional<qint64> pixelsInDataUrl(const QUrl &url)
{
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const qsizetype comma = path.indexOf(',');
    const QByteArray data = QByteArray::fromPercentEncoding(path.mid(comma + 1));
    QByteArray payload = path.left(comma).endsWith(";base64") ? QByteArray::fromBase64(data) : data;
    QBuffer buffer(&payload);
    QImageReader reader(&buffer);
    return pixelsIn(reader);
}

// How many pixels the label would decode from a file at every render, or nothing when the file
// must not be read at all.
std::optional<qint64> pixelsInFile(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return 0; // the label shows its placeholder
    if (!file.isFile() || file.size() > largestImageFile || !isStoredFile(path))
        return std::nullopt;
    QImageReader reader(path);
    return pixelsIn(reader);
}

// The file that the label's document opens for a resource, if any: a relative name, resolved
// against no base, is a local path. A network path names no file that could be asked about.
std::optional<QString> localPathOf(QUrl url)
{
    if (url.isRelative())
        url.setScheme(QStringLiteral("file"));
    if (!url.isLocalFile())
        return QString(); // never fetched
    if (!url.authority().isEmpty())
        return std::nullopt;
    return url.toLocalFile();
}

// What the structure of a text allows the label to show as markup, and what the label would then
// read.
struct Markup
{
    QString beginning; // null: the markup is shown as plain characters
    QStringList files; // judged at every render, since they may change at any time
    qint64 pixels = 0; // of the images that the text itself holds
};

// The resources that the markup asks for, as the label would read them; false where one must not
// be read whatever the file system holds. The file system is asked about a name only up to a NUL,
// which the parser keeps.
bool addResources(Markup &markup, const QList<QUrl> &requested, const QStringList &imageNames)
{
    for (const QUrl &url : requested) {
        if (isDataUrl(url)) {
            const std::optional<qint64> pixels = pixelsInDataUrl(url);
            if (!pixels || *pixels > mostPixelsPerImage)
                return false;
            markup.pixels += *pixels;
        } else if (const std::optional<QString> path = localPathOf(url)) {
            markup.files.append(*path);
        } else {
            return false;
        }
    }
    markup.files.append(imageNames);
    markup.files.removeDuplicates();
    return std::none_of(markup.files.cbegin(), markup.files.cend(),
        [](const QString &file) { return file.contains(QChar::Null); });
}

// Asked at every render, since the label reads the files anew each time: a file that was
// missing or an image may since have become a pipe or a device.
bool fewPixelsIn(const Markup &markup)
{
    qint64 pixels = markup.pixels;
    for (const QString &file : markup.files) {
        const std::optional<qint64> more = pixelsInFile(file);
        if (!more || *more > mostPixelsPerImage)
            return false;
        pixels += *more;
    }
    return pixels <= mostImagePixels;
}

Markup parse(const QString &text)
{
    const QString decoded = withReferencesDecoded(text); // before anything parses the text
    if (spansTooManyColumns(decoded) || holdsStyleSheet(decoded))
        return {};
    const std::optional<QString> beginning = markupBeginning(text);
    if (!beginning)
        return {};
    ResourceProbe probe;
    QTextDocument document(&probe);
    document.setHtml(*beginning); // asks for the backgrounds of tables and cells
    const QStringList images = imageNames(document);
    if (lineCount(document) > mostLines || nestingDepth(document.rootFrame()) > deepestNesting
        || probe.requested.size() + images.size() > mostImages)
        return {};
    paint(document);
    Markup markup;
    markup.beginning = *beginning;
    if (!addResources(markup, probe.requested, images))
        return {};
    return markup;
}

Markup parsed(const QString &text)
{
    static QHash<QString, Markup> known;
    const auto found = known.constFind(text);
    if (found != known.cend())
        return *found;
    if (known.size() >= mostRememberedTexts)
        known.clear();
    return *known.insert(text, parse(text));
}

} // namespace

QString shownText(const QString &text)
{
    if (!text.contains(QLatin1Char('<')) && text.size() <= mostCharacters)
        return text; // no markup: its length alone bounds its cost
    // Only the beginning can be shown, and only that much decides where it may be cut.
    const Markup markup = parsed(text.left(mostCharacters + referenceLength));
    if (!markup.beginning.isNull() && fewPixelsIn(markup))
        return markup.beginning;
    return text.left(cutLength(text)).toHtmlEscaped();
}

void describeSign(QWidget *window, const QString &text, const QString &comment)
{
    const QString description = plainTextOf(shownText(text)).simplified() + QLatin1Char('\n')
        + plainTextOf(shownText(comment)).simplified();
    window->setAccessibleDescription(description);
    window->setAccessibleName(window->windowTitle() + QStringLiteral(": ") + description);
}

#include "showntext.moc"
