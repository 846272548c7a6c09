#include "platform/ApplicationErrors.h"

#include <QMessageBox>
#include <utility>

namespace morvik {
namespace {

void ShowErrorMessage(const std::exception& error) {
    QMessageBox::critical(QApplication::activeWindow(), QCoreApplication::applicationName(),
                          QString::fromUtf8(error.what()));
}

ErrorHandler& CurrentHandler() {
    static ErrorHandler handler = ShowErrorMessage;
    return handler;
}

}  // namespace

void HandleApplicationError(const std::exception& error) { CurrentHandler()(error); }

ErrorHandler SetApplicationErrorHandler(ErrorHandler handler) {
    return std::exchange(CurrentHandler(), handler ? std::move(handler) : ShowErrorMessage);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverGuarded(event, [&] { return QApplication::notify(receiver, event); });
}

}  // namespace morvik
