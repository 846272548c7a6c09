#include "app/Unit1.h"

#include <QDesktopServices>
#include <QLayout>
#include <QMessageBox>
#include <QUrl>

#include "app/BitmapPixels.h"
#include "app/EHomePageError.h"
#include "app/Fonts.h"
#include "app/Unit2.h"
#include "platform/ApplicationErrors.h"
#include "platform/SystemMetrics.h"

namespace morvik {

namespace {

const QString kCreate = QStringLiteral("作成");
const QString kAbort = QStringLiteral("中断");

}  // namespace

TForm1::TForm1(Terrain& terrain, QWidget* parent) : THookableForm(parent), terrain_(terrain) {
    ui_.setupUi(this);
    SetRunRanges();
    ApplyFontHeights(*this);
    TakeButtonFace();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The first in the tab order has the focus when the window first becomes active.
    ui_.Button1->setFocus();

    ConnectGuarded(&timer1_, &PeriodicTimer::Timeout, this, &TForm1::Timer1Timer);
    ConnectGuarded(ui_.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    ConnectGuarded(ui_.Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    ConnectGuarded(ui_.LineOnly, &QPushButton::clicked, this, &TForm1::LineOnlyClick);
    ConnectGuarded(ui_.Repaint, &QPushButton::clicked, this, &TForm1::RepaintClick);
    ConnectGuarded(ui_.UpDown1, &TUpDown::OnMouseDown, this, &TForm1::UpDown1MouseDown);
    ConnectGuarded(ui_.UpDown2, &TUpDown::OnMouseDown, this, &TForm1::UpDown2MouseDown);
    ConnectGuarded(ui_.About1, &QAction::triggered, this, &TForm1::About1Click);
    ConnectGuarded(ui_.QuillonHomePage1, &QAction::triggered, this, &TForm1::QuillonHomePage1Click);
    FormCreate();
}

void TForm1::FormCreate() {
    mapBitmap_ = BlackBitmap(kFirstMapSize);
    ui_.Panel1->setText(QString::number(ui_.UpDown1->Position()));
    // The client area is fixed; the controls placed beyond it stay out of sight.
    ui_.ClientArea->setFixedSize(kClientSize);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui_.WV->SetMax(std::min(ui_.WV->Max(), GetSystemMetrics(SM_CXSCREEN)));
    ui_.HV->SetMax(std::min(ui_.HV->Max(), GetSystemMetrics(SM_CYSCREEN)));
    terrain_.BuildColourTable();
}

// The controls' ranges and first values, in the order the form description
// would set them, from the limits the generator holds.
void TForm1::SetRunRanges() {
    ui_.WV->SetMax(kLargestProgramMap.Width());
    ui_.WV->SetMin(kSmallestProgramMap.Width());
    ui_.WV->SetNValue(kSmallestProgramMap.Width());
    ui_.HV->SetMax(kLargestProgramMap.Height());
    ui_.HV->SetMin(kSmallestProgramMap.Height());
    ui_.HV->SetNValue(kSmallestProgramMap.Height());
    ui_.UpDown1->SetMin(kLeastRoughness);
    ui_.UpDown1->SetMax(kMostRoughness);
    ui_.UpDown1->SetPosition(kFirstRoughness);
    ui_.UpDown2->SetMin(kLeastSeaShare);
    ui_.UpDown2->SetMax(kMostSeaShare);
    ui_.UpDown2->SetPosition(kFirstSeaShare);
    ui_.Gauge1->SetProgress(ui_.UpDown2->Position() * 10);
}

// The arrows have changed the position before their press is reported.
void TForm1::UpDown1MouseDown() { ui_.Panel1->setText(QString::number(ui_.UpDown1->Position())); }

void TForm1::UpDown2MouseDown() { ui_.Gauge1->SetProgress(ui_.UpDown2->Position() * 10); }

void TForm1::Button1Click() {
    mapView_->SetViewItems(TMenuBar::kSeparatorCaption, TForm2::kCoastlineCaption, false);
    if (timer1_.IsActive()) {
        timer1_.Stop();
        ui_.Button1->setText(kCreate);
        ui_.Gauge2->SetProgress(kFullProgress);
        return;
    }
    const QSize size(ui_.WV->NValue(), ui_.HV->NValue());
    mapBitmap_ = BlackBitmap(size);
    mapView_->Controls().Image1->SetBitmapSize(size);
    mapView_->SetClientSize(size);  // which writes the client size back into WV and HV
    terrain_.StartGeneration(CurrentMapSize(), ui_.UpDown1->Position(), ui_.UpDown2->Position(),
                             ui_.WV->NValue(), ui_.HV->NValue());
    mapView_->Controls().Image1->setEnabled(false);
    timer1_.Start();
    ui_.Button1->setText(kAbort);
}

void TForm1::Timer1Timer() {
    const GenerationJob& job = terrain_.Job();
    if (job.IterationsDone < job.TotalIterations) {
        ui_.Gauge2->SetProgress(kFullProgress -
                                (job.IterationsDone + 1) * kFullProgress / job.TotalIterations);
        ShowCount(job.IterationsDone);
        terrain_.CircleIteration(CurrentMapSize());
        return;
    }
    terrain_.FinishGeneration(CurrentMapSize(), [this](int32_t seaCells) { ShowCount(seaCells); });
    timer1_.Stop();
    ui_.Button1->setText(kCreate);
    mapView_->Controls().Image1->setEnabled(true);
    ShowExtremes(RenderMap());
    mapView_->SetViewItemsEnabled(true);
}

void TForm1::Button3Click() {
    terrain_.LowerAllCells(CurrentMapSize());
    ShowExtremes(RenderMap());
}

void TForm1::RepaintClick() { ShowExtremes(RenderMap()); }

void TForm1::LineOnlyClick() {
    mapView_->show();
    terrain_.RenderCoastline(BitmapPixels(mapBitmap_));
    mapView_->Controls().Image1->DrawBitmap(mapBitmap_);
}

QString TForm1::AboutText() {
    const QStringList lines{
        QStringLiteral("Morvik　モルヴィク"),
        QStringLiteral("Version " MORVIK_VERSION),
        QString(),
        QStringLiteral("HomePage ： ") + kMakerHomePage,
        QStringLiteral("E-mail ： ") + kMakerMail,
    };
    return lines.join(QStringLiteral("\n\r"));
}

// Qt would break the line at both characters of each pair; the box shows a
// pair as one break, as the platform's message box does.
void TForm1::About1Click() {
    QString shown = AboutText();
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    QMessageBox about(QMessageBox::NoIcon, QStringLiteral("Ashgrove"), shown, QMessageBox::Ok,
                      this);
    about.exec();
}

// Without a browser the desktop opens nothing, silently; the user is told.
void TForm1::QuillonHomePage1Click() {
    if (!QDesktopServices::openUrl(QUrl(kMakerHomePage))) throw EHomePageError(kMakerHomePage);
}

void TForm1::changeEvent(QEvent* event) {
    THookableForm::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) TakeButtonFace();
}

// The progress bar's foreground is the button face, of the style and theme in
// use. The form's palette is new before its children's are.
void TForm1::TakeButtonFace() { ui_.Gauge2->SetForeColor(palette().color(QPalette::Button)); }

MapSize TForm1::CurrentMapSize() const { return MapSize(mapBitmap_.width(), mapBitmap_.height()); }

// Edit1 lies outside the client area; it is repainted at once all the same.
void TForm1::ShowCount(int32_t count) {
    ui_.Edit1->setText(QString::number(count));
    ui_.Edit1->repaint();
}

void TForm1::ShowExtremes(HeightExtremes extremes) {
    ui_.Edit2->setText(QString::number(extremes.highest));
    ui_.Edit3->setText(QString::number(extremes.lowest));
}

// Shows the map view and draws the heights into the map bitmap, then onto
// the map view's image in one copy.
HeightExtremes TForm1::RenderMap() {
    mapView_->show();
    const HeightExtremes extremes = terrain_.RenderMap(BitmapPixels(mapBitmap_));
    mapView_->Controls().Image1->DrawBitmap(mapBitmap_);
    return extremes;
}

}  // namespace morvik
