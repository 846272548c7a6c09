#pragma once

#include <QSize>
#include <cstdint>
#include <stdexcept>

#include "components/ZCMinMax/BaseFormLocker.h"
#include "components/ZCMinMax/FrameCursor.h"

namespace morvik {

// A limit set outside what the other limit or the screen allows.
class EFormMinMaxError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Keeps the size of the form that owns it between a minimum and a maximum,
// given for the client area or the whole window (ValueIsClient); each
// maximum is a stored value or the screen's (MaxSizeMode). It fits the form
// when a limit is set and when the form shows or hides (AutoResize), reports
// the limits in WM_GETMINMAXINFO, which the form makes its Qt minimum and
// maximum size, and marks an axis fixed when its maximum is not above its
// minimum, for the frame cursors.
//
// The window manager owns the sizing border on X11 and Wayland: the cursors'
// remapped hit-test codes cannot steer it there, and only WM_NCHITTEST sent
// to the form is answered through them.
class TZMinMax : public TBaseFormLocker {
    Q_OBJECT
    // In stream order, after the inherited Enabled, LockUp and SizeFreeze.
    Q_PROPERTY(bool AutoResize READ AutoResize WRITE SetAutoResize)
    Q_PROPERTY(morvik::TFrameCursor* Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(TMaxSizeMode MaxSizeMode READ MaxSizeMode WRITE SetMaxSizeMode)
    Q_PROPERTY(int MinSizeX READ MinSizeX WRITE SetMinSizeX)
    Q_PROPERTY(int MinSizeY READ MinSizeY WRITE SetMinSizeY)
    Q_PROPERTY(int MaxSizeX READ MaxSizeX WRITE SetMaxSizeX)
    Q_PROPERTY(int MaxSizeY READ MaxSizeY WRITE SetMaxSizeY)
    Q_PROPERTY(bool ValueIsClient READ ValueIsClient WRITE SetValueIsClient)

  public:
    enum TMaxSizeMode : uint8_t { msmValue, msmScreenWidth, msmScreenHeight, msmScreenAll };
    Q_ENUM(TMaxSizeMode)

    explicit TZMinMax(QObject* owner) : TZMinMax(owner, staticMetaObject) {}

    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool autoResize) { autoResize_ = autoResize; }
    TFrameCursor* Cursor() const { return cursor_; }
    void SetCursor(TFrameCursor* cursor);
    TMaxSizeMode MaxSizeMode() const { return maxSizeMode_; }
    void SetMaxSizeMode(TMaxSizeMode mode);
    int MinSizeX() const { return minSize_[0]; }
    void SetMinSizeX(int value);
    int MinSizeY() const { return minSize_[1]; }
    void SetMinSizeY(int value);
    int MaxSizeX() const { return GetMaxSize(0); }
    void SetMaxSizeX(int value);
    int MaxSizeY() const { return GetMaxSize(1); }
    void SetMaxSizeY(int value);
    bool ValueIsClient() const { return valueIsClient_; }
    void SetValueIsClient(bool valueIsClient);
    bool FixedWidth() const { return fixedWidth_; }
    bool FixedHeight() const { return fixedHeight_; }

    // Index 0 is the width, 1 the height.
    int GetMaxSize(int index) const;
    // Throw EFormMinMaxError, changing nothing, for a minimum above the
    // maximum or a maximum below the minimum. A negative minimum is 0, a
    // maximum beyond the screen is the screen.
    void SetMinSize(int index, int value);
    void SetMaxSize(int index, int value);

    void UpdateFixedAxes();
    void ApplyAutoResize();
    void FillMinMaxInfo(MINMAXINFO& info) const;

    LRESULT MapHitTest(LRESULT code) const;
    LRESULT ResolveZone(LRESULT code, TFrameCursor::THTCursor setting) const;
    LRESULT AutoHitTest(LRESULT code) const;

  protected:
    // A derived class passes its own, which the second-instance check takes.
    TZMinMax(QObject* owner, const QMetaObject& actualClass);
    void HookedWndProc(TMessage& message) override;

  private:
    static int ScreenSize(int index);
    // Whether the screen is the axis's maximum, whatever its value says.
    bool FollowsScreen(int index) const;

    POINT maxPosition_;
    POINT maximizedSize_;
    bool autoResize_ = true;
    TMaxSizeMode maxSizeMode_ = msmScreenAll;
    int minSize_[2];
    int maxSizeValue_[2];
    bool valueIsClient_ = true;
    TFrameCursor* cursor_;
    bool fixedWidth_ = false;
    bool fixedHeight_ = false;
};

// A size with each axis between its minimum and maximum; the minimum wins.
QSize FitSize(QSize size, QSize minimum, QSize maximum);

}  // namespace morvik
