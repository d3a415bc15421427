#ifndef WINDOWSYSTEM_H
#define WINDOWSYSTEM_H

#include <QRect>

QT_BEGIN_NAMESPACE
class QWindow;
QT_END_NAMESPACE

// What the desktop itself says of the window, where the toolkit keeps a record of its own. On X11
// the X server and the window manager are asked; elsewhere, and in a build without the X client
// library, the toolkit's record stands.

// The window's frame position and client size as the window system shows them now. The toolkit
// takes each place it asks for as the window's until the desktop tells of another: a desktop that
// neither moves the window nor says so is seen only here.
QRect shownGeometry(QWindow *window);

// Whether the desktop makes a window full screen when asked. An X11 window manager names the
// window states that it grants on the root window; one that names none leaves the request
// unanswered, the window as it was.
bool grantsFullScreen(QWindow *window);

#endif // WINDOWSYSTEM_H
