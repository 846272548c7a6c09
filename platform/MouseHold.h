#pragma once

#include <QEvent>
#include <QWidget>

namespace morvik {

// A held arrow steps at the press, again after kFirstRepeatMs, then every
// kRepeatMs.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 70;

// Whether the event takes the mouse from a widget that holds a press: it was
// disabled or hidden (itself or a parent), its window lost activation, or a
// modal window blocked it. Qt sends such a widget no release.
inline bool LosesMouseHold(const QEvent& event, const QWidget& widget) {
    switch (event.type()) {
        case QEvent::EnabledChange:
            return !widget.isEnabled();
        case QEvent::Hide:
        case QEvent::WindowDeactivate:
        case QEvent::WindowBlocked:
            return true;
        default:
            return false;
    }
}

}  // namespace morvik
