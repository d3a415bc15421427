#ifndef SHOWNTEXT_H
#define SHOWNTEXT_H

#include <QString>

// What the label may show of a user's text or comment: the text as rich text, or, where laying
// it out would be costly or would read what is no image file, its markup as plain characters.
QString shownText(const QString &text);

#endif // SHOWNTEXT_H
