#pragma once

class QWidget;

namespace morvik {

enum SystemMetric : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
};

// The primary screen's whole size in pixels; the width of the sizing frame
// around `window`, as the window manager draws it now, or a typical 4 pixels
// where none tells (no window, not shown yet, or no frame).
int GetSystemMetrics(SystemMetric index, const QWidget* window = nullptr);

}  // namespace morvik
