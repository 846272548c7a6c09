#include "platform/ApplicationErrors.h"

#include <QMessageBox>
#include <utility>

namespace morvik {
namespace {

void ShowErrorMessage(const std::exception& error, QWidget* window) {
    QMessageBox::critical(window != nullptr ? window : QApplication::activeWindow(),
                          QCoreApplication::applicationName(), QString::fromUtf8(error.what()));
}

QWidget* WindowOf(const QObject* origin) {
    for (const QObject* object = origin; object != nullptr; object = object->parent()) {
        if (const auto* widget = qobject_cast<const QWidget*>(object)) return widget->window();
    }
    return nullptr;
}

ErrorHandler& CurrentHandler() {
    static ErrorHandler handler = ShowErrorMessage;
    return handler;
}

}  // namespace

void HandleApplicationError(const std::exception& error, const QObject* origin) {
    CurrentHandler()(error, WindowOf(origin));
}

ErrorHandler SetApplicationErrorHandler(ErrorHandler handler) {
    return std::exchange(CurrentHandler(), handler ? std::move(handler) : ShowErrorMessage);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverGuarded(receiver, event, [&] { return QApplication::notify(receiver, event); });
}

}  // namespace morvik
