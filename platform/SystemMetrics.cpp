#include "platform/SystemMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace morvik {

int GetSystemMetrics(SystemMetric index) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 0;
    const QSize size = screen->geometry().size();
    return index == SM_CXSCREEN ? size.width() : size.height();
}

}  // namespace morvik
