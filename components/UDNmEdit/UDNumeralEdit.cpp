#include "components/UDNmEdit/UDNumeralEdit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionFrame>

#include <utility>

#include "platform/ApplicationErrors.h"
#include "platform/RaisingEvents.h"
#include "platform/ToolkitErrors.h"

namespace morvik {

namespace {

QColor ButtonFace() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

bool IsArrow(const QKeyEvent* event) {
    return event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
}

// The focus leaves for another window or a popup and comes back from it.
bool SuspendsFocus(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

TUDNumeralEdit::TUDNumeralEdit(QWidget* parent)
    : QLineEdit(parent), button_(new TSkeletonUDBtn(this)) {
    setFocusPolicy(Qt::TabFocus);  // click focus: mousePressEvent
    button_->setObjectName(QStringLiteral("UDBtn"));
    button_->resize(TSkeletonUDBtn::kMinimumSide, button_->height());
    // A failing step goes back to the button, which stops repeating it.
    ConnectRaising(button_, &TSkeletonUDBtn::OnUDClick, this,
                   [this](TSkeletonUDBtn*, TBtnType btn) { UDBtnClick(btn); });
    ConnectRaising(button_, &TSkeletonUDBtn::OnUDRelease, this,
                   [this](TSkeletonUDBtn*) { UDBtnRelease(); });
    DockButton();
    SetEditRect();
    Decide();
}

void TUDNumeralEdit::SetMax(int32_t max) {
    if (max == max_) return;
    max_ = std::max(max, min_);
    if (nValue_ > max_) {
        SetNValue(max_);
    } else {
        UpdateBtnStates(nValue_);
    }
}

void TUDNumeralEdit::SetMin(int32_t min) {
    if (min == min_) return;
    min_ = std::min(min, max_);
    if (nValue_ < min_) {
        SetNValue(min_);
    } else {
        UpdateBtnStates(nValue_);
    }
}

void TUDNumeralEdit::SetWrap(bool wrap) {
    if (wrap == wrap_) return;
    wrap_ = wrap;
    UpdateBtnStates(nValue_);
}

void TUDNumeralEdit::SetNValue(int32_t value) {
    nValue_ = value;
    Decide();
}

void TUDNumeralEdit::SetEditOptions(TEditOptions options) {
    if (options == editOptions_) return;
    Decide();  // takes in typed text under the options it was typed with
    editOptions_ = options;
    setAlignment((options & eoRightAlign ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    Decide();
}

void TUDNumeralEdit::SetBtnWidth(int width) {
    button_->resize(width, button_->height());
    DockButton();
    SetEditRect();
    update();
}

void TUDNumeralEdit::SetColor(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colour);  // in every colour group, disabled included
    setPalette(colours);
}

void TUDNumeralEdit::Decide() {
    const bool typed = isModified();
    if (typed) nValue_ = ReadValue();
    // Typed values are clamped; only steps and the program's writes wrap.
    if (wrap_ && !typed) {
        if (nValue_ > max_) {
            nValue_ = min_;
        } else if (nValue_ < min_) {
            nValue_ = max_;
        }
    } else {
        nValue_ = std::clamp(nValue_, min_, max_);
    }
    UpdateBtnStates(nValue_);

    const QString shown = FormatValue(nValue_, editOptions_);
    if (text() != shown) FireEvent([&] { setText(shown); });  // which clears the mark
    if (isModified()) {
        selectAll();
        setModified(false);
    }
    FireEvent([&] { emit OnDecision(this); });
}

int32_t TUDNumeralEdit::ReadValue() const {
    const QString numeral = ParseText(text(), editOptions_);
    try {
        return ConvertNumeral(numeral);
    } catch (const EConvertError&) {
        if (numeral.isEmpty()) return nValue_;
        return numeral.startsWith(u'-') ? min_ : max_;
    }
}

void TUDNumeralEdit::UpdateBtnStates(int32_t value) {
    bool up = true;
    bool down = true;
    if (!isEnabled() || (!wrap_ && max_ == min_)) {
        up = down = false;
    } else if (!wrap_) {
        up = value < max_;
        down = up ? value > min_ : true;
    }
    button_->SetHalfEnabled(TSkeletonUDBtn::btUp, up);
    button_->SetHalfEnabled(TSkeletonUDBtn::btDown, down);
}

void TUDNumeralEdit::SetEditRect() { setTextMargins(0, 0, BtnWidth() + 2, 0); }

// Steps are taken on the true sum, so that a step past a limit near the end
// of the 32-bit range lands on the limit instead of wrapping round first.
int32_t TUDNumeralEdit::StepTarget(TBtnType btn) const {
    const int64_t step = btn == TSkeletonUDBtn::btUp ? int64_t{increment_} : -int64_t{increment_};
    const int64_t target = int64_t{nValue_} + step;
    if (target > max_) return wrap_ ? min_ : max_;
    if (target < min_) return wrap_ ? max_ : min_;
    return static_cast<int32_t>(target);
}

void TUDNumeralEdit::UDBtnClick(TBtnType btn) {
    if (isModified()) Decide();
    try {
        SetNValue(StepTarget(btn));
    } catch (...) {
        // A failing handler must not leave the value half-stepped: the step
        // ends at the limit it was heading for. The first error goes no further.
        const bool up = btn == TSkeletonUDBtn::btUp;
        if (wrap_) {
            SetNValue(up ? min_ : max_);
        } else {
            SetNValue(up ? max_ : min_);
            button_->SetHalfEnabled(btn, false);
        }
    }
    FireEvent([&] { emit OnBtnClick(this, btn); });
}

void TUDNumeralEdit::UDBtnRelease() {
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    if (!isReadOnly()) selectAll();
}

// Errors of the handlers below (a sign key with no digits, a failing
// OnDecision) reach the application's handler, not Qt's dispatch.
bool TUDNumeralEdit::event(QEvent* event) {
    return DeliverGuarded(this, event, [&] { return QLineEdit::event(event); });
}

void TUDNumeralEdit::keyPressEvent(QKeyEvent* event) {
    if (IsArrow(event)) {
        button_->KeyDown(*event);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Decide();
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (typed.size() > 1) {
        TypeCharacters(typed, event->modifiers());
        event->accept();
        return;
    }
    if (typed.size() == 1 && TakeCharacter(typed[0], event->modifiers())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);  // an editing key, or a character that passed
}

// Text committed by an input method is typed text too.
void TUDNumeralEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString committed = event->commitString();
    if (committed.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The composition goes on; the commit goes through the rules.
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
    TypeCharacters(committed, {});
    event->accept();
}

// Every typed character, however it was composed, goes one at a time through
// the sign keys and the key filter; each that passes goes in before the next.
void TUDNumeralEdit::TypeCharacters(const QString& typed, Qt::KeyboardModifiers modifiers) {
    for (const QChar character : typed) {
        if (!TakeCharacter(character, modifiers)) TypeText(QString(character));
    }
}

// Handles one typed character before the edit sees it. Returns whether the
// character was used up (taken in or dropped) here.
bool TUDNumeralEdit::TakeCharacter(QChar character, Qt::KeyboardModifiers modifiers) {
    if (character == QChar(0x7F)) return false;  // Delete is an editing key, not a character
    if (signPress_ && (character == u'-' || character == u'+') && !(editOptions_ & eoHEXIndicate)) {
        const QString withSign = character + text();
        setText(FormatValue(ConvertNumeral(ParseText(withSign, editOptions_)), editOptions_));
        setModified(true);
        return true;
    }
    if (!keyCheck_) return false;
    // A control key with a letter is a control character, whatever text the
    // platform attaches to it: clipboard and undo shortcuts are dropped.
    const QChar filtered = modifiers & Qt::ControlModifier ? QChar(0x1F) : character;
    const KeyFilterResult result = FilterKey(filtered, editOptions_);
    if (result.action == KeyAction::Insert) InsertText(result.text);
    return result.action != KeyAction::Pass;
}

// A typed character that passed the rules, as the edit would take it.
void TUDNumeralEdit::TypeText(const QString& text) {
    if (!isReadOnly()) InsertText(text);
}

// The control's own input: it goes in even when the edit is read-only.
void TUDNumeralEdit::InsertText(const QString& text) {
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    insert(text);
    setReadOnly(readOnly);
    setModified(true);
}

void TUDNumeralEdit::keyReleaseEvent(QKeyEvent* event) {
    button_->KeyUp(*event);
    QLineEdit::keyReleaseEvent(event);
}

void TUDNumeralEdit::cut() {
    if (!isReadOnly()) QLineEdit::cut();
}

void TUDNumeralEdit::paste() {
    if (!isReadOnly()) QLineEdit::paste();
}

void TUDNumeralEdit::del() {
    if (!isReadOnly()) QLineEdit::del();
}

void TUDNumeralEdit::mousePressEvent(QMouseEvent* event) {
    if (!hasFocus() && focusPolicy() != Qt::NoFocus) {
        const QScopedValueRollback leftPress(focusByLeftPress_, event->button() == Qt::LeftButton);
        setFocus(Qt::MouseFocusReason);
    }
    QLineEdit::mousePressEvent(event);
}

// Entering selects (or puts the caret first), unless a left press on the edit
// places the caret itself or the focus only comes back from elsewhere.
void TUDNumeralEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    const bool comesBack = std::exchange(focusSuspended_, false) && SuspendsFocus(event->reason());
    if (comesBack || focusByLeftPress_) return;
    if (autoSelect_) {
        selectAll();
    } else {
        setCursorPosition(0);
    }
}

void TUDNumeralEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    button_->EndKeyPress();  // the key's release goes elsewhere now
    if (SuspendsFocus(event->reason())) {
        focusSuspended_ = true;
        return;
    }
    button_->SetHalfState(TSkeletonUDBtn::btUp, 0);
    button_->SetHalfState(TSkeletonUDBtn::btDown, 0);
    Decide();
}

void TUDNumeralEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    DockButton();
    SetEditRect();
}

void TUDNumeralEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) return;
    // A disabled control shows button face, and gets its own colour back.
    if (isEnabled() && Color() == ButtonFace()) {
        SetColor(savedColor_);
    } else if (!isEnabled() && Color() != ButtonFace()) {
        savedColor_ = Color();
        SetColor(ButtonFace());
    }
    UpdateBtnStates(nValue_);
}

// The button fills the client area's right edge at its full height.
void TUDNumeralEdit::DockButton() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame =
        hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this) : 0;
    const QRect client = rect().adjusted(frame, frame, -frame, -frame);
    button_->setGeometry(client.right() + 1 - BtnWidth(), client.top(), BtnWidth(),
                         client.height());
}

}  // namespace morvik
