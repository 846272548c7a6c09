#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>

class QTimer;

namespace morvik {

// A two-half up/down button drawn as scroll-bar arrows. It holds no value:
// it reports presses of its halves, repeating while the mouse holds one.
//
// Mouse input on the button is the button's alone: nothing passes on to the
// parent, and a press moves no focus. A left press holds the mouse capture
// until its release, or until the button loses the mouse for any reason
// (the button or a parent disabled or hidden, a modal dialog or popup, the
// window deactivated: Qt then sends it no release), which ends the press.
class TSkeletonUDBtn : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)

  public:
    enum TBtnType : uint8_t { btUp = 0, btDown = 1 };
    Q_ENUM(TBtnType)

    struct TBtnInfo {
        TBtnType BtnType;
        bool HalfEnabled = true;
        uint8_t State = 0;  // 1 while pressed
    };

    static constexpr int kMinimumSide = 15;

    explicit TSkeletonUDBtn(QWidget* parent = nullptr);

    // The button's own flag, whatever its parent's state; drawing and mouse
    // presses need the parent enabled too.
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    void SetEnabled(bool enabled);
    uint8_t HalfState(TBtnType btn) const { return Info(btn).State; }
    void SetHalfState(TBtnType btn, uint8_t state);
    bool HalfEnabled(TBtnType btn) const { return Info(btn).HalfEnabled; }
    void SetHalfEnabled(TBtnType btn, bool enabled);
    // A half's area for the current size, shown or not. An odd height leaves
    // the middle row to neither half.
    QRect BtnRect(TBtnType btn) const;
    bool KeyHeld() const { return keyHeld_; }
    bool HoldsMouseCapture() const { return mouseCaptured_; }

    void Press(TBtnType btn);
    void Release(TBtnType btn);

    // The Up and Down arrow keys, also as the owner forwards them: they press
    // enabled halves even while the button itself is disabled.
    void KeyDown(const QKeyEvent& event);
    void KeyUp(const QKeyEvent& event);
    // For an owner that will not see the key's release (it lost the focus):
    // the held half is let go, without OnUDRelease.
    void EndKeyPress();

  signals:
    // An error of a handler connected with ConnectRaising goes back to whoever
    // delivered the press; during a repeat it stops the repeating first.
    void OnUDClick(TSkeletonUDBtn* sender, TBtnType btn);
    void OnUDRelease(TSkeletonUDBtn* sender);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    TBtnInfo& Info(TBtnType btn) { return btn == btUp ? upInfo_ : downInfo_; }
    const TBtnInfo& Info(TBtnType btn) const { return btn == btUp ? upInfo_ : downInfo_; }
    void RepeatTick();
    // Lets the half go and stops the repeat; Release also reports it.
    void EndPress(TBtnType btn);
    void LoseCapture();
    void DrawHalf(QPainter& painter, const TBtnInfo& info) const;

    TBtnInfo upInfo_{.BtnType = btUp};
    TBtnInfo downInfo_{.BtnType = btDown};
    TBtnInfo* activeInfo_ = nullptr;
    QTimer* repeatTimer_ = nullptr;
    bool keyHeld_ = false;
    bool mouseCaptured_ = false;
};

}  // namespace morvik
