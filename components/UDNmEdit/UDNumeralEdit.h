#pragma once

#include <QColor>
#include <QLineEdit>
#include <cstdint>

#include "components/UDNmEdit/NumeralText.h"
#include "components/UDNmEdit/SkeletonUDBtn.h"

namespace morvik {

// A single-line edit for one 32-bit value between Min and Max, with an
// up/down button docked inside its right edge. Typed characters are filtered
// as they come, but the text becomes the value only at a decision: Enter,
// leaving the control, a button step, or any change made by the program.
//
// Switching windows is not leaving the control: typed text stays undecided
// until the focus moves to another control. The edit takes click focus
// itself, so that a press on its button moves no focus before the press
// ends (UDBtnRelease): its focus policy is TabFocus, and a description that
// sets StrongFocus would move the focus at the press again.
class TUDNumeralEdit : public QLineEdit {
    Q_OBJECT
    // In the order a window description applies them: Max before Min, and
    // NValue after both.
    Q_PROPERTY(bool SignPress READ SignPress WRITE SetSignPress)
    Q_PROPERTY(bool KeyCheck READ KeyCheck WRITE SetKeyCheck)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(bool Wrap READ Wrap WRITE SetWrap)
    Q_PROPERTY(int NValue READ NValue WRITE SetNValue)
    Q_PROPERTY(morvik::numeral::TEditOptions EditOptions READ EditOptions WRITE SetEditOptions)
    Q_PROPERTY(bool BtnEnabled READ BtnEnabled WRITE SetBtnEnabled)
    Q_PROPERTY(int BtnWidth READ BtnWidth WRITE SetBtnWidth)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)

  public:
    using TBtnType = TSkeletonUDBtn::TBtnType;

    explicit TUDNumeralEdit(QWidget* parent = nullptr);

    bool SignPress() const { return signPress_; }
    void SetSignPress(bool signPress) { signPress_ = signPress; }
    bool KeyCheck() const { return keyCheck_; }
    void SetKeyCheck(bool keyCheck) { keyCheck_ = keyCheck; }
    int32_t Max() const { return max_; }
    void SetMax(int32_t max);
    int32_t Min() const { return min_; }
    void SetMin(int32_t min);
    int32_t Increment() const { return increment_; }
    void SetIncrement(int32_t increment) { increment_ = increment; }
    bool Wrap() const { return wrap_; }
    void SetWrap(bool wrap);
    int32_t NValue() const { return nValue_; }
    void SetNValue(int32_t value);
    TEditOptions EditOptions() const { return editOptions_; }
    void SetEditOptions(TEditOptions options);
    bool BtnEnabled() const { return button_->Enabled(); }
    void SetBtnEnabled(bool enabled) { button_->SetEnabled(enabled); }
    int BtnWidth() const { return button_->width(); }
    void SetBtnWidth(int width);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }
    QColor Color() const { return palette().color(QPalette::Active, QPalette::Base); }
    void SetColor(const QColor& colour);
    QColor SavedColor() const { return savedColor_; }

    TSkeletonUDBtn* UDBtn() const { return button_; }

    // The decision: takes in a typed value, holds the value in range, shows
    // it formatted and announces it.
    void Decide();
    // The typed text as a value; text that does not convert gives NValue
    // (empty), Min (negative) or Max (anything else).
    int32_t ReadValue() const;
    void UpdateBtnStates(int32_t value);
    void SetEditRect();

  public slots:
    // As the edit's own, but nothing changes while ReadOnly. (They hide
    // QLineEdit's slots: calls through a QLineEdit pointer reach those.)
    void cut();
    void paste();
    void del();

  signals:
    // Handlers connected with ConnectRaising (platform/RaisingEvents.h), and
    // those of textChanged, raise their errors to the edit: a step's error
    // ends in its fallback, any other goes on to the caller of the decision.
    void OnBtnClick(morvik::TUDNumeralEdit* sender, morvik::TSkeletonUDBtn::TBtnType btn);
    void OnDecision(morvik::TUDNumeralEdit* sender);

  protected:
    // The button's events; a descendant may handle them otherwise.
    virtual void UDBtnClick(TBtnType btn);
    virtual void UDBtnRelease();

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void TypeCharacters(const QString& typed, Qt::KeyboardModifiers modifiers);
    bool TakeCharacter(QChar character, Qt::KeyboardModifiers modifiers);
    void TypeText(const QString& text);
    void InsertText(const QString& text);
    int32_t StepTarget(TBtnType btn) const;
    void DockButton();

    QColor savedColor_{0, 0, 0};
    TEditOptions editOptions_;
    TSkeletonUDBtn* button_;
    bool signPress_ = false;
    int32_t max_ = 2147483647;
    int32_t min_ = -2147483647;
    int32_t increment_ = 1;
    int32_t nValue_ = 0;
    bool wrap_ = false;
    bool keyCheck_ = true;
    bool autoSelect_ = true;
    bool focusByLeftPress_ = false;  // while a left press on the edit gives it the focus
    bool focusSuspended_ = false;    // the focus went to another window or a popup
};

}  // namespace morvik
