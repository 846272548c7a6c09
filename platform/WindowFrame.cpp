#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include <xcb/xcb.h>

namespace morvik {

namespace {

// The fields of _MOTIF_WM_HINTS that we set: flags, functions, decorations.
constexpr uint32_t kHintsFunctions = 1U << 0;
constexpr uint32_t kHintsDecorations = 1U << 1;
constexpr uint32_t kFunctionResize = 1U << 1;
constexpr uint32_t kFunctionMove = 1U << 2;
constexpr uint32_t kDecorationBorder = 1U << 1;
constexpr uint32_t kDecorationResizeHandle = 1U << 2;
constexpr uint32_t kDecorationTitle = 1U << 3;

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// The X connection and the window's id, when the window is an X11 window.
struct X11Window {
    xcb_connection_t* connection;
    xcb_window_t id;
};

xcb_connection_t* X11Connection() {
    // The offscreen platform answers as X11 too, with no connection.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

std::optional<X11Window> X11WindowOf(const QWidget& window) {
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr || window.internalWinId() == 0) return std::nullopt;
    return X11Window{connection, static_cast<xcb_window_t>(window.internalWinId())};
}

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()),
            nullptr),
        &std::free);
    return reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

void RequestButtonlessFrame(const QWidget& window) {
    const std::optional<X11Window> x11 = X11WindowOf(window);
    if (!x11) return;
    const xcb_atom_t hints = Atom(x11->connection, "_MOTIF_WM_HINTS");
    if (hints == XCB_ATOM_NONE) return;
    const std::array<uint32_t, 5> value{
        kHintsFunctions | kHintsDecorations,
        kFunctionResize | kFunctionMove,
        kDecorationBorder | kDecorationResizeHandle | kDecorationTitle,
        0,
        0,
    };
    xcb_change_property(x11->connection, XCB_PROP_MODE_REPLACE, x11->id, hints, hints, 32,
                        value.size(), value.data());
    xcb_flush(x11->connection);
}

void SendQueuedRequests() {
    if (xcb_connection_t* connection = X11Connection()) xcb_flush(connection);
}

std::optional<QMargins> ReportedFrameExtents(const QWidget& window) {
    const std::optional<X11Window> x11 = X11WindowOf(window);
    if (!x11 || window.windowHandle() == nullptr) return std::nullopt;
    const xcb_atom_t extents = Atom(x11->connection, "_NET_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE) return std::nullopt;
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x11->connection,
            xcb_get_property(x11->connection, 0, x11->id, extents, XCB_ATOM_CARDINAL, 0, 4),
            nullptr),
        &std::free);
    if (reply == nullptr || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != 16) {
        return std::nullopt;
    }
    // Left, right, top, bottom, in the screen's own pixels.
    const auto* sides = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const qreal ratio = window.windowHandle()->devicePixelRatio();
    const auto scaled = [ratio](uint32_t side) {
        return static_cast<int>(std::lround(static_cast<qreal>(side) / ratio));
    };
    return QMargins(scaled(sides[0]), scaled(sides[2]), scaled(sides[1]), scaled(sides[3]));
}

}  // namespace morvik
