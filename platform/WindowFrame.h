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

// Sends what Qt has queued for the X server now, not when the event loop
// next runs: new size hints then reach the window manager before anything
// else can size the window.
void SendQueuedRequests();

}  // namespace morvik
