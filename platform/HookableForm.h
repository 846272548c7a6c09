#pragma once

#include <QMainWindow>
#include <QRect>
#include <optional>

#include "platform/WindowMessages.h"

namespace morvik {

// A top-level form whose native window has a handle and a window procedure
// that components can subclass. Its Qt events become messages here, in one
// place, and go through the current procedure; the form's own procedure, at
// the bottom of the chain, hands the event to Qt:
//   move -> WM_MOVE; resize, minimise, maximise and restore -> WM_SIZE
//   (type from the window state); the program's own show and hide ->
//   WM_SHOWWINDOW; the native window destroyed (re-created or freed) ->
//   WM_DESTROY.
// Before it shows, before the program sizes it and whenever a component says
// the chain's answer may have changed, the form asks WM_GETMINMAXINFO, makes
// the track sizes its Qt minimum and maximum and tells the window manager
// at once.
//
// The window manager owns the frame (X11 and Wayland decorations), so no
// WM_NCHITTEST comes from Qt and a hit-test code cannot steer the sizing
// border; the form answers one only when it is sent. The window manager also
// places and sizes a maximised window, and setting the geometry of one makes
// it a normal window again, so ptMaxSize and ptMaxPosition go no further than
// the answer.
class THookableForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit THookableForm(QWidget* parent = nullptr) : QMainWindow(parent) {}
    ~THookableForm() override;

    // The handle of the native window, created now if there is none.
    HWND Handle();
    // Through the window's current procedure; 0 without a window.
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Left, Top, Width and Height: the outer bounds, frame included.
    QRect BoundsRect() const { return frameGeometry(); }
    // Moves and sizes the outer bounds; nothing (no message) when unchanged.
    void SetBounds(const QRect& bounds);
    // Whether the program is setting the bounds now, as against the user or
    // the window manager.
    bool SettingBounds() const { return settingBounds_; }
    // Moves the form so that its frame's top-left corner lies at topLeft,
    // by the frame its window manager reports where it does.
    void SetFrameTopLeft(QPoint topLeft);
    // The client area lies below the menu bar.
    QSize ClientSize() const;
    void SetClientSize(QSize size);
    // The frame and the menu bar: the outer size less the client size.
    QSize NonClientSize() const { return BoundsRect().size() - ClientSize(); }

    // Asks the chain for the track sizes and applies them; nothing while the
    // native window is going.
    void UpdateTrackSizes();

    // Waits, taking no user input, until the window manager has shown the
    // form (a second at most): only then is the frame around it known.
    void WaitUntilFramed();

  protected:
    bool event(QEvent* event) override;

  private:
    class OwnProc : public TWindowProc {
      public:
        explicit OwnProc(THookableForm& form) : form_(form) {}
        LRESULT Call(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
            return form_.WndProc(message, wParam, lParam);
        }

      private:
        THookableForm& form_;
    };

    struct Message {
        UINT code;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Limits {
        QSize minimum;
        QSize maximum;
        friend bool operator==(const Limits&, const Limits&) = default;
    };

    bool Dispatch(QEvent* event);
    std::optional<Message> MessageOf(const QEvent& event) const;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    void AttachHandle();
    void DetachHandle();
    int MenuHeight() const;
    QSize FrameExtra() const;
    Limits OwnLimits() const;

    OwnProc ownProc_{*this};
    HWND handle_ = 0;
    QEvent* pendingEvent_ = nullptr;  // the Qt event behind the message in the chain
    UINT pendingMessage_ = 0;
    bool pendingHandled_ = false;
    bool settingBounds_ = false;
    std::optional<Limits> ownLimits_;  // while the chain's limits replace them
};

}  // namespace morvik
