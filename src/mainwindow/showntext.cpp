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

#include <sys/statvfs.h>

#include <optional>

namespace {

// The label lays its text out anew every second, and several times as the window is shown, so
// what it may be given is bounded: the heaviest text within these bounds costs about as much as
// the default text. Past them the cost grows without limit; every level of tables within tables
// doubles it. The window shows a few dozen characters, full screen a few hundred.
constexpr qsizetype mostCharacters = 512;
constexpr int mostLines = 16; // paragraphs, list items, table cells and line breaks
constexpr int deepestNesting = 2; // a table within a table
constexpr int mostImages = 4; // each is read and decoded at every render
constexpr qint64 mostImagePixels = 128 * 128; // all images together
constexpr qint64 largestImageFile = 1024 * 1024;

// Texts change only through the dialogs, and each distinct one is judged once.
constexpr qsizetype mostRememberedTexts = 64;

QString cutToLength(const QString &text)
{
    if (text.size() <= mostCharacters)
        return text;
    QString shown = text.left(mostCharacters);
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    return shown;
}

// The parser decodes character references everywhere, attribute names included, so a word in
// the markup is sought with them decoded as the parser decodes them.
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
// its table before anything could be counted.
bool spansColumns(const QString &markup)
{
    return withReferencesDecoded(markup).contains(QLatin1String("colspan"), Qt::CaseInsensitive);
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

int imageCount(const QTextDocument &document)
{
    int images = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                images += it.fragment().length();
        }
    }
    return images;
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

QByteArray dataUrlPayload(const QUrl &url)
{
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const qsizetype comma = path.indexOf(',');
    const QByteArray data = QByteArray::fromPercentEncoding(path.mid(comma + 1));
    return path.left(comma).endsWith(";base64") ? QByteArray::fromBase64(data) : data;
}

// How many pixels the label would decode for a resource at every render, or nothing when the
// resource must not be read at all.
std::optional<qint64> pixelsOf(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
        QByteArray payload = dataUrlPayload(url);
        QBuffer buffer(&payload);
        QImageReader reader(&buffer);
        return pixelsIn(reader);
    }
    if (!url.isRelative() && !url.isLocalFile())
        return 0; // never fetched
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    const QFileInfo file(path);
    if (!file.exists())
        return 0;
    if (!file.isFile() || file.size() > largestImageFile || !isStoredFile(path))
        return std::nullopt;
    QImageReader reader(path);
    return pixelsIn(reader);
}

bool fewPixelsIn(const QList<QUrl> &resources)
{
    qint64 pixels = 0;
    for (const QUrl &url : resources) {
        const std::optional<qint64> more = pixelsOf(url);
        if (!more)
            return false;
        pixels += *more;
    }
    return pixels <= mostImagePixels;
}

bool isCheapAndSafe(const QString &text)
{
    if (!text.contains(QLatin1Char('<')))
        return true; // no markup: its length alone bounds its cost
    if (spansColumns(text))
        return false;
    ResourceProbe probe;
    QTextDocument document(&probe);
    document.setHtml(text); // asks for the backgrounds of tables and cells
    const qsizetype images = probe.requested.size() + imageCount(document);
    if (lineCount(document) > mostLines || nestingDepth(document.rootFrame()) > deepestNesting
        || images > mostImages)
        return false;
    paint(document);
    return fewPixelsIn(probe.requested);
}

bool mayShowAsMarkup(const QString &text)
{
    static QHash<QString, bool> verdicts;
    const auto known = verdicts.constFind(text);
    if (known != verdicts.cend())
        return *known;
    if (verdicts.size() >= mostRememberedTexts)
        verdicts.clear();
    return *verdicts.insert(text, isCheapAndSafe(text));
}

} // namespace

QString shownText(const QString &text)
{
    const QString shown = cutToLength(text);
    return mayShowAsMarkup(shown) ? shown : shown.toHtmlEscaped();
}

#include "showntext.moc"
