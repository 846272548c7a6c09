#pragma once

#include <QImage>
#include <chrono>
#include <cstdint>

#include "platform/HookableForm.h"
#include "platform/PeriodicTimer.h"
#include "terrain/Terrain.h"
#include "ui_Unit1.h"

namespace morvik {

class TForm2;

// The maker's addresses, as the About box and the Help menu give them.
inline constexpr char kMakerHomePage[] = "https://www.example.com/quillon/";
inline constexpr char kMakerMail[] = "quillon@example.com";

// The control window: the map parameters, the create/abort button, the
// progress of a run and the Help menu. A run is cut into timer ticks of one
// circle iteration each, so the windows stay responsive.
class TForm1 : public THookableForm {
    Q_OBJECT

  public:
    static constexpr QSize kClientSize{128, 184};
    static constexpr QSize kFirstMapSize{kSmallestProgramMap.Width(), kSmallestProgramMap.Height()};
    static constexpr std::chrono::milliseconds kTickPeriod{1};
    static constexpr int kFullProgress = 255;

    explicit TForm1(Terrain& terrain, QWidget* parent = nullptr);

    // The map view this window drives; set once, right after it is created.
    void SetMapView(TForm2* mapView) { mapView_ = mapView; }

    const Ui::TForm1& Controls() const { return ui_; }
    const QImage& MapBitmap() const { return mapBitmap_; }
    bool Running() const { return timer1_.IsActive(); }

    // The About box's text, its lines joined as the box shows them.
    static QString AboutText();

    void Button1Click();
    void Timer1Timer();
    void Button3Click();
    void LineOnlyClick();
    void RepaintClick();

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void FormCreate();
    void UpDown1MouseDown();
    void UpDown2MouseDown();
    void About1Click();
    void QuillonHomePage1Click();

    void SetRunRanges();
    void TakeButtonFace();
    MapSize CurrentMapSize() const;
    void ShowCount(int32_t count);
    void ShowExtremes(HeightExtremes extremes);
    HeightExtremes RenderMap();

    Ui::TForm1 ui_;
    Terrain& terrain_;
    TForm2* mapView_ = nullptr;
    QImage mapBitmap_;
    PeriodicTimer timer1_{kTickPeriod};
};

}  // namespace morvik
