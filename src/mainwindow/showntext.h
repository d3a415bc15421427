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

// Tells screen readers what the sign shows: the text and the comment as the label shows them,
// without the time, which would be announced every second. As a window takes the focus they
// speak its name, not always its description: the name holds the description after the title.
void describeSign(QWidget *window, const QString &text, const QString &comment);

#endif // SHOWNTEXT_H
