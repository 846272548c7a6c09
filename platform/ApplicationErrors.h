#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <stdexcept>

class QWidget;

namespace morvik {

// The application's handler for errors that no handler of ours catches,
// told the window whose handler raised the error (nullptr when none did).
// By default it shows the message in a box titled with the application's
// name (QCoreApplication::applicationName) that belongs to that window, and
// the program goes on.
using ErrorHandler = std::function<void(const std::exception& error, QWidget* window)>;

// `origin` is the object whose handler raised the error; its window, or
// that of its nearest widget ancestor, is the error's window.
void HandleApplicationError(const std::exception& error, const QObject* origin);
// Replaces the handler (nullptr restores the message box); returns the old one.
ErrorHandler SetApplicationErrorHandler(ErrorHandler handler);

// Runs the body of an entry point that Qt calls on `origin` (a slot, a timer
// tick, an event handler): Qt must never unwind through its own dispatch, so
// an error goes to the application's handler here. Returns whether the body
// finished.
template <typename Body>
bool Guard(const QObject* origin, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        HandleApplicationError(error, origin);
    } catch (...) {
        HandleApplicationError(std::runtime_error("unknown error"), origin);
    }
    return false;
}

// Delivers an event to `receiver` through `deliver` (the base class's
// event()) under the guard. An event whose handling failed counts as handled: it goes no
// further, to a parent or a dialog's default button.
template <typename Deliver>
bool DeliverGuarded(const QObject* receiver, QEvent* event, Deliver&& deliver) noexcept {
    bool handled = false;
    if (Guard(receiver, [&] { handled = deliver(); })) return handled;
    event->accept();
    return true;
}

// Connects a signal to a handler of ours that takes no arguments, through
// the guard.
template <typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection ConnectGuarded(const Sender* sender, Signal signal, Receiver* receiver,
                                       void (Receiver::*handler)()) {
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        Guard(receiver, [&] { (receiver->*handler)(); });
    });
}

// The last net: an error that escaped every guard still reaches the handler.
class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace morvik
