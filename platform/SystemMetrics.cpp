#include "platform/SystemMetrics.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace morvik {

namespace {

constexpr int kTypicalFrame = 4;

int FrameWidth(bool horizontal) {
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        const int side =
            horizontal ? client.left() - frame.left() : frame.bottom() - client.bottom();
        if (side > 0) return side;
    }
    return kTypicalFrame;
}

}  // namespace

int GetSystemMetrics(SystemMetric index) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
        case SM_CXSCREEN:
            return screen != nullptr ? screen->geometry().width() : 0;
        case SM_CYSCREEN:
            return screen != nullptr ? screen->geometry().height() : 0;
        case SM_CXFRAME:
            return FrameWidth(true);
        case SM_CYFRAME:
            return FrameWidth(false);
    }
    return 0;
}

}  // namespace morvik
