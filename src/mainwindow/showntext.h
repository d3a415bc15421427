#ifndef SHOWNTEXT_H
#define SHOWNTEXT_H

#include <QString>

// What the label may show of a user's text or comment: its beginning as rich text, or, where its
// markup would run on into the label's own, where laying it out would be costly, or where it
// would read what is no image file, its markup as plain characters.
QString shownText(const QString &text);

// What a screen reader is told of the sign as the window takes the focus: the text and the
// comment as the label shows them, without the time, which would be announced every second.
QString signDescription(const QString &text, const QString &comment);

#endif // SHOWNTEXT_H
