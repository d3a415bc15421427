#ifndef SHOWNTEXT_H
#define SHOWNTEXT_H

#include <QString>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

// What the label may show of a user's text or comment: its beginning as rich text, or, where its
// markup would run on into the label's own, where laying it out would be costly, or where it
// would read what is no image file, its markup as plain characters.
QString shownText(const QString &text);

// What a screen reader is told of the sign: the text and the comment as the label shows them,
// without the time, which would be announced every second. A screen reader is sure to speak a
// window's name as the window takes the focus, but not its description; so the name carries the
// description whole, after the title, which stays the program's name, and a reader that would
// speak both leaves out the description, which the name already holds.
void describeSign(QWidget *window, const QString &text, const QString &comment);

#endif // SHOWNTEXT_H
