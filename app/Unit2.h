#pragma once

#include "app/NameOnlyIconProvider.h"
#include "app/SaveDialog.h"
#include "components/ZCMinMax/ZMinMax.h"
#include "platform/HookableForm.h"

#include "ui_Unit2.h"

namespace morvik {

class TForm1;

// The map view: shows the map, switches between the colour and coastline
// views and saves the picture. Its client size follows each run, and sizing
// it by hand sets the width and height of the next one.
class TForm2 : public THookableForm {
    Q_OBJECT

  public:
    static inline const QString kCoastlineCaption = QStringLiteral("海岸線のみ");
    static inline const QString kNormalCaption = QStringLiteral("通常表示");
    // How far right of the control window's left edge the map view starts.
    static constexpr int kBesideControlWindow = 134;

    explicit TForm2(TForm1& form1, QWidget* parent = nullptr);

    const Ui::TForm2& Controls() const { return ui_; }
    TZMinMax* ZMinMax1() const { return zMinMax1_; }

    // The view items N3 and N4: their captions, and one enabled state for both.
    void SetViewItems(const QString& n3Caption, const QString& n4Caption, bool enabled);
    void SetViewItemsEnabled(bool enabled);
    // A separator is never enabled, and one of the two is always a caption.
    bool ViewItemsEnabled() const { return ui_.N3->isEnabled() || ui_.N4->isEnabled(); }

    void N1Click();
    void N3Click();
    void N4Click();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void LoadZMinMax1();
    void FormCreate();
    void FormResize();

    Ui::TForm2 ui_;
    TForm1& form1_;
    NameOnlyIconProvider sdIcons_;  // outlives the dialog that asks it
    SaveDialog sd_;
    TZMinMax* zMinMax1_ = nullptr;
};

}  // namespace morvik
