#ifndef SHOWNTEXT_H
#define SHOWNTEXT_H

#include <QDeadlineTimer>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <utility>

QT_BEGIN_NAMESPACE
class QLabel;
class QWidget;
QT_END_NAMESPACE

// What the label may show of a user's text or comment: its beginning as rich text with the images
// that it shows, or, where its markup would run on into the label's own, where laying it out
// would be costly, or where an image it names must not be read, its markup as plain characters.
// Its images are those last read from their files; a file not yet read shows the placeholder.
struct ShownText
{
    QString markup;
    QList<std::pair<QUrl, QImage>> images; // under the names by which the label asks for them
};
ShownText shownText(const QString &text);

// Waits until the files of the texts' images have each been read once, or until the deadline.
void awaitImages(const QStringList &texts, QDeadlineTimer deadline);

// Sets rich text made of shown texts on the label, with their images, read and decoded by the
// sign: the label opens no file for it.
void setRichText(QLabel *label, const QString &richText, const QList<ShownText> &parts);

// Tells screen readers what the sign shows: the text and the comment as the label shows them,
// without the time, which would be announced every second. As a window takes the focus they
// speak its name, not always its description: the name holds the description after the title.
// The sign describes a text and a comment as it first shows them, at start and as a dialog is
// confirmed: this first waits a moment for their images.
void describeSign(QWidget *window, const QString &text, const QString &comment);

#endif // SHOWNTEXT_H
