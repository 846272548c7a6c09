#pragma once

namespace morvik {

enum SystemMetric : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
};

// The primary screen's whole size in pixels; the width of the sizing frame
// around a top-level window, as the window manager draws it around one of
// ours that is shown, or a typical 4 pixels where none tells.
int GetSystemMetrics(SystemMetric index);

}  // namespace morvik
