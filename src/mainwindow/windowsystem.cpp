#include "windowsystem.h"

#include <QGuiApplication>
#include <QWindow>

#ifdef VELMORAN_ASKS_X_SERVER
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

xcb_connection_t *x11Connection()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// A reply of the X server, freed with its owner; null where the request failed.
template<typename Reply> std::unique_ptr<Reply, void (*)(void *)> owned(Reply *reply)
{
    return { reply, &std::free };
}

xcb_atom_t existingAtom(xcb_connection_t *connection, const char *name)
{
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, true, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

QRect shownGeometry(QWindow *window)
{
    const QRect recorded(window->framePosition(), window->size());
    xcb_connection_t *const connection = x11Connection();
    if (!connection)
        return recorded;
    const auto id = xcb_window_t(window->winId());
    const auto geometry
        = owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (!geometry)
        return recorded;
    const auto corner = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr));
    if (!corner)
        return recorded;
    // The server counts device pixels; the frame is the toolkit's, in the window's own units.
    const qreal ratio = window->devicePixelRatio();
    const QMargins frame = window->frameMargins();
    return { QPointF(corner->dst_x / ratio - frame.left(), corner->dst_y / ratio - frame.top())
                 .toPoint(),
        QSizeF(geometry->width / ratio, geometry->height / ratio).toSize() };
}

bool grantsFullScreen(QWindow *window)
{
    xcb_connection_t *const connection = x11Connection();
    if (!connection || !window)
        return true; // other desktops answer for themselves, and a window not yet made as it maps
    const xcb_atom_t supported = existingAtom(connection, "_NET_SUPPORTED");
    const xcb_atom_t fullScreen = existingAtom(connection, "_NET_WM_STATE_FULLSCREEN");
    const auto id = xcb_window_t(window->winId());
    const auto geometry
        = owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (supported == XCB_ATOM_NONE || fullScreen == XCB_ATOM_NONE || !geometry)
        return false;
    // A few hundred names at the most.
    const auto named = owned(xcb_get_property_reply(connection,
        xcb_get_property(connection, false, geometry->root, supported, XCB_ATOM_ATOM, 0, 4096),
        nullptr));
    if (!named || named->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(named.get()));
    const int count = xcb_get_property_value_length(named.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, fullScreen) != atoms + count;
}

#else // the toolkit's record, and its request, stand

QRect shownGeometry(QWindow *window)
{
    return { window->framePosition(), window->size() };
}

bool grantsFullScreen(QWindow *)
{
    return true;
}

#endif
