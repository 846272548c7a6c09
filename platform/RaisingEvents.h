#pragma once

#include <QObject>
#include <exception>
#include <utility>

#include "platform/ApplicationErrors.h"

namespace morvik {

// Component events whose handlers' errors belong to the code that fires them:
// a button stops repeating when its owner's step fails, an edit falls back
// when a decision's handler fails. Qt must not unwind through its signal
// dispatch, so the handler's connection catches the error and the firing code
// raises it again once the emission has returned.

// The innermost firing on this thread, while it lasts.
class EventFiring {
  public:
    EventFiring() : outer_(std::exchange(innermost_, this)) {}
    ~EventFiring() { innermost_ = outer_; }
    EventFiring(const EventFiring&) = delete;
    EventFiring& operator=(const EventFiring&) = delete;

    // Raises the first error a handler raised during the firing, if any.
    void RaiseHandlerError() {
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

    // Hands a handler's error to the innermost firing. False when no firing
    // is under way or that one already holds an error.
    static bool TakeHandlerError(std::exception_ptr error) noexcept {
        if (innermost_ == nullptr || innermost_->error_) return false;
        innermost_->error_ = std::move(error);
        return true;
    }

  private:
    static inline thread_local EventFiring* innermost_ = nullptr;
    EventFiring* outer_;
    std::exception_ptr error_;
};

// Emits through `fire`; the first error of a handler connected with
// ConnectRaising comes out of here, after the emission.
template <typename Fire>
void FireEvent(Fire&& fire) {
    EventFiring firing;
    fire();
    firing.RaiseHandlerError();
}

// Connects `handler` (callable with the signal's arguments) so that its error
// goes back to the FireEvent that emitted the signal. An error with no firing
// to take it, or a second one in the same firing, goes to the application's
// handler, told `receiver`.
template <typename Sender, typename... Args, typename Handler>
QMetaObject::Connection ConnectRaising(const Sender* sender, void (Sender::*signal)(Args...),
                                       const QObject* receiver, Handler handler) {
    return QObject::connect(sender, signal, receiver, [receiver, handler](Args... args) {
        try {
            handler(args...);
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            if (!EventFiring::TakeHandlerError(error)) {
                Guard(receiver, [&] { std::rethrow_exception(error); });
            }
        }
    });
}

}  // namespace morvik
