#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
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

// WM_SIZE_HINTS: 18 fields; the flags come first, and the limits are the
// fields 5 to 8.
constexpr size_t kSizeHintsFields = 18;
constexpr size_t kMinWidthField = 5;
constexpr size_t kMaxWidthField = 7;
constexpr uint32_t kHintsMinSize = 1U << 4;
constexpr uint32_t kHintsMaxSize = 1U << 5;
constexpr int kLargestCoordinate = 32767;

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// The X connection and the window's id, when the window is an X11 window.
struct X11Window {
    xcb_connection_t* connection;
    xcb_window_t id;
};

std::optional<X11Window> X11WindowOf(const QWidget& window) {
    // The offscreen platform answers as X11 too, with no windows on it.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr || window.internalWinId() == 0) {
        return std::nullopt;
    }
    return X11Window{x11->connection(), static_cast<xcb_window_t>(window.internalWinId())};
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

void ReportSizeLimits(const QWidget& window) {
    const std::optional<X11Window> x11 = X11WindowOf(window);
    if (!x11 || window.windowHandle() == nullptr) return;
    std::array<uint32_t, kSizeHintsFields> hints{};
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x11->connection,
            xcb_get_property(x11->connection, 0, x11->id, XCB_ATOM_WM_NORMAL_HINTS,
                             XCB_ATOM_WM_SIZE_HINTS, 0, kSizeHintsFields),
            nullptr),
        &std::free);
    if (reply != nullptr && reply->format == 32) {
        const auto length = static_cast<size_t>(xcb_get_property_value_length(reply.get())) / 4;
        const auto* value = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        std::copy_n(value, std::min(length, hints.size()), hints.begin());
    }
    // In the screen's own pixels, as Qt writes them.
    const qreal ratio = window.windowHandle()->devicePixelRatio();
    const auto native = [ratio](int size) {
        return static_cast<uint32_t>(
            std::min<qreal>(std::lround(size * ratio), kLargestCoordinate));
    };
    const QSize minimum = window.minimumSize();
    const QSize maximum = window.maximumSize();
    hints[0] &= ~(kHintsMinSize | kHintsMaxSize);
    if (!minimum.isNull()) hints[0] |= kHintsMinSize;
    if (maximum.width() < QWIDGETSIZE_MAX || maximum.height() < QWIDGETSIZE_MAX) {
        hints[0] |= kHintsMaxSize;
    }
    hints[kMinWidthField] = native(minimum.width());
    hints[kMinWidthField + 1] = native(minimum.height());
    hints[kMaxWidthField] = native(maximum.width());
    hints[kMaxWidthField + 1] = native(maximum.height());
    xcb_change_property(x11->connection, XCB_PROP_MODE_REPLACE, x11->id, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, hints.size(), hints.data());
    xcb_flush(x11->connection);
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
