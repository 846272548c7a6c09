#pragma once

namespace morvik {

enum SystemMetric : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1 };

// The size of the primary screen in pixels, its whole geometry.
int GetSystemMetrics(SystemMetric index);

}  // namespace morvik
