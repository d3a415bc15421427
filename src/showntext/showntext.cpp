#include "showntext.h"
#include "imagefiles.h"
#include "shownimage.h"

#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

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
constexpr int mostImages = 4; // each may be read and decoded whenever its file changes
constexpr qint64 mostImagePixels = 2 * 256 * 256; // all images together

// A cut is tried before one of the text's last few tags or references, no further back.
constexpr int mostCutAttempts = 16;
// Far enough past a cut to finish any character reference that the cut may have split.
constexpr qsizetype referenceLength = 10;

// Texts change only through the dialogs, and each distinct one is parsed once.
constexpr qsizetype mostRememberedTexts = 64;
// As a text is first shown, its images on a local disk are read within this, and it shows them
// from its very first render; those of a file system slower to answer come at a later render.
// The bounce waits as long: about two of its steps.
constexpr int firstShowWaitMs = 30;

// Stands where the label's own markup resumes after the text; no one types it.
const QString marker = QStringLiteral("\uE000");

// Stands in for rich text's resource loader and reads nothing: notes the names by which the
// markup asks for its images, which are the names by which the label's document will ask, however
// the toolkit resolves them. It answers with a real image, or the document would try the name as
// a file itself.
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

// Each image is laid out and painted on its own, however many share a name.
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

QByteArray dataUrlPayload(const QUrl &url)
{
    const QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    const qsizetype comma = path.indexOf(',');
    const QByteArray data = QByteArray::fromPercentEncoding(path.mid(comma + 1));
    return path.left(comma).endsWith(";base64") ? QByteArray::fromBase64(data) : data;
}

// The file that the label's document would open for a resource, if any: a relative name,
// resolved against no base, is a local path.
QString localPathOf(QUrl url)
{
    if (url.isRelative())
        url.setScheme(QStringLiteral("file"));
    return url.isLocalFile() ? url.toLocalFile() : QString(); // web addresses are never fetched
}

// One image that the markup asks for, under the name by which it asks.
struct Resource
{
    QUrl url;
    QString file; // read again whenever it changes; none: the image below stands
    QImage image; // of a data URL, or the placeholder of a web address
};

// What the structure of a text allows the label to show as markup, and the images it shows.
struct Markup
{
    QString beginning; // null: the markup is shown as plain characters
    QList<Resource> resources;
};

// The resources that the markup asks for; false where one of them must not be shown whatever
// the file system holds.
bool addResources(Markup &markup, const QList<QUrl> &requested)
{
    for (const QUrl &url : requested) {
        if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) != 0) {
            markup.resources.append({ url, localPathOf(url), placeholderImage() });
        } else if (const std::optional<QImage> image = decodedImage(dataUrlPayload(url))) {
            markup.resources.append({ url, QString(), *image });
        } else {
            return false;
        }
    }
    return true;
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
    if (lineCount(document) > mostLines || nestingDepth(document.rootFrame()) > deepestNesting
        || probe.requested.size() + imageCount(document) > mostImages)
        return {};
    paint(document);
    Markup markup;
    markup.beginning = *beginning;
    if (!addResources(markup, probe.requested))
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

// How a text's markup is read; nothing for a text that holds none, whose length alone bounds its
// cost.
std::optional<Markup> markupOf(const QString &text)
{
    if (!text.contains(QLatin1Char('<')) && text.size() <= mostCharacters)
        return std::nullopt;
    // Only the beginning can be shown, and only that much decides where it may be cut.
    return parsed(text.left(mostCharacters + referenceLength));
}

// The markup with its images as the files were last read; nothing where one must not be shown,
// or where they hold too many pixels together.
std::optional<ShownText> withImages(const Markup &markup)
{
    ShownText shown { markup.beginning, {} };
    qint64 pixels = 0;
    for (const Resource &resource : markup.resources) {
        const std::optional<QImage> image
            = resource.file.isEmpty() ? resource.image : fileImage(resource.file);
        if (!image)
            return std::nullopt;
        pixels += qint64(image->width()) * image->height();
        shown.images.append({ resource.url, *image });
    }
    if (pixels > mostImagePixels)
        return std::nullopt;
    return shown;
}

// The label parses its text only as it lays it out, and finds the images in its document then,
// before it would look for any file.
void lendImages(QLabel *label, const QList<ShownText> &parts)
{
    QTextDocument *document = label->findChild<QTextDocument *>();
    for (const ShownText &part : parts) {
        for (const auto &[url, image] : part.images)
            document->addResource(QTextDocument::ImageResource, url, image);
    }
}

} // namespace

ShownText shownText(const QString &text)
{
    const std::optional<Markup> markup = markupOf(text);
    if (!markup)
        return { text, {} };
    if (!markup->beginning.isNull()) {
        if (const std::optional<ShownText> shown = withImages(*markup))
            return *shown;
    }
    return { text.left(cutLength(text)).toHtmlEscaped(), {} };
}

void awaitImages(const QStringList &texts, QDeadlineTimer deadline)
{
    QStringList files;
    for (const QString &text : texts) {
        const std::optional<Markup> markup = markupOf(text);
        for (const Resource &resource : markup ? markup->resources : QList<Resource>()) {
            if (!resource.file.isEmpty())
                files.append(resource.file);
        }
    }
    awaitFileImages(files, deadline);
}

void setRichText(QLabel *label, const QString &richText, const QList<ShownText> &parts)
{
    const bool showsImages = std::any_of(
        parts.cbegin(), parts.cend(), [](const ShownText &part) { return !part.images.isEmpty(); });
    // A fresh document, so that it holds only the images of this text and never piles up those
    // of the texts before.
    if (showsImages)
        label->clear();
    label->setText(richText);
    if (showsImages)
        lendImages(label, parts);
    // Laid out at once, with its images in place, rather than whenever it is next measured or
    // painted: one painted before it was measured, as a grab paints it, would ask to be painted
    // again.
    label->sizeHint();
    // Left unnamed, the label is named for a screen reader by a document of the toolkit's own,
    // which would read the files that the text's backgrounds name, at every render.
    label->setAccessibleName(showsImages ? plainTextOf(richText) : QString());
}

void describeSign(QWidget *window, const QString &text, const QString &comment)
{
    awaitImages({ text, comment }, QDeadlineTimer(firstShowWaitMs));
    const QString description = plainTextOf(shownText(text).markup).simplified() + QLatin1Char('\n')
        + plainTextOf(shownText(comment).markup).simplified();
    window->setAccessibleDescription(description);
    window->setAccessibleName(window->windowTitle() + QStringLiteral(": ") + description);
}

#include "showntext.moc"
