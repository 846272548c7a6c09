#pragma once

#include <QRect>
#include <stdexcept>

#include "components/SubClass/SubClass.h"

namespace morvik {

// A locker put on something that is not a form, or a second one on a form.
class ECreatingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The bounds (outer, in screen pixels) pulled inside a screen of the given
// size: no wider or taller than the screen, and with no edge beyond it.
QRect KeepOnScreenBounds(QRect bounds, QSize screen);

// Hooks the form that owns it, once its description is loaded, and can keep
// the form on the screen (LockUp) and its sizing border from sizing
// (SizeFreeze). A form holds at most one locker of a class and its kin.
//
// The window manager owns the sizing border on X11 and Wayland, and no
// hit-test code reaches it. So a frozen form also answers WM_GETMINMAXINFO
// with its current size as both limits, which the window manager does take;
// the program's own SetBounds is answered as if unfrozen.
class TBaseFormLocker : public TCustomSubClass {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool LockUp READ LockUp WRITE SetLockUp)
    Q_PROPERTY(bool SizeFreeze READ SizeFreeze WRITE SetSizeFreeze)

  public:
    static const char* const kNotOnAForm;
    static const char* const kSecondOnAForm;

    // Throws ECreatingError unless `owner` is a form without a locker of
    // `actualClass` (the class being made) or one derived from it.
    explicit TBaseFormLocker(QObject* owner,
                             const QMetaObject& actualClass = TBaseFormLocker::staticMetaObject);

    // Stored switches: a change counts from the next message, and the form
    // asks at once for the limits it changes.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool LockUp() const { return lockUp_; }
    void SetLockUp(bool lockUp) { lockUp_ = lockUp; }
    bool SizeFreeze() const { return sizeFreeze_; }
    void SetSizeFreeze(bool sizeFreeze);

    // The first object `form` owns that is a `componentClass` or derived
    // from it, in the owner's order; nullptr for none.
    static QObject* FindComponentOfClass(const QObject* form, const QMetaObject& componentClass);

    // The description has been read: attach to the owner form. Made by code
    // instead, a locker stays detached until this is called.
    virtual void Loaded();

    void CheckLockUp();
    void KeepOnScreen();

  protected:
    THookableForm* OwnerForm() const { return static_cast<THookableForm*>(parent()); }
    void HookedWndProc(TMessage& message) override;
    // While frozen, the form's current outer size becomes both track sizes.
    void FreezeTrackSizes(MINMAXINFO& info) const;

  private:
    static QObject* CheckedOwner(QObject* owner, const QMetaObject& actualClass);

    bool enabled_ = true;
    bool lockUp_ = true;
    bool sizeFreeze_ = false;
};

}  // namespace morvik
