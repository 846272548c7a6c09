#include "platform/SystemMetrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace morvik {

namespace {

constexpr int kTypicalFrame = 4;

int FrameWidth(const QWidget* window, bool horizontal) {
    if (window == nullptr || !window->isVisible()) return kTypicalFrame;
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const int side = horizontal ? client.left() - frame.left() : frame.bottom() - client.bottom();
    return side > 0 ? side : kTypicalFrame;
}

}  // namespace

int GetSystemMetrics(SystemMetric index, const QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
        case SM_CXSCREEN:
            return screen != nullptr ? screen->geometry().width() : 0;
        case SM_CYSCREEN:
            return screen != nullptr ? screen->geometry().height() : 0;
        case SM_CXFRAME:
            return FrameWidth(window, true);
        case SM_CYFRAME:
            return FrameWidth(window, false);
    }
    return 0;
}

}  // namespace morvik
