#pragma once

#include <QMargins>
#include <optional>

class QWidget;

namespace morvik {

// Asks the window manager for a frame with a border, a title and a sizing
// handle, but no window menu and no title-bar buttons (X11's Motif hints; a
// window manager that ignores them keeps its own buttons, and elsewhere
// nothing is asked). Qt itself asks only that the functions go, which some
// window managers do not take as "no buttons". Call it before each show:
// Qt writes its own hints whenever it makes the native window.
void RequestButtonlessFrame(const QWidget& window);

// The frame around a top-level window as its window manager reports it
// (X11's _NET_FRAME_EXTENTS), in Qt's pixels; nothing before the window
// manager has framed the window, or where none reports.
std::optional<QMargins> ReportedFrameExtents(const QWidget& window);

// Tells the window manager the window's Qt minimum and maximum size now
// (X11's WM_NORMAL_HINTS, keeping the rest of what Qt wrote there). Qt sends
// them only with a change of geometry, so a limit that the window's size
// already meets would not reach the window manager.
void ReportSizeLimits(const QWidget& window);

}  // namespace morvik
