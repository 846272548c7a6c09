#include "app/Unit2.h"

#include <QCloseEvent>

#include "app/Fonts.h"
#include "app/Unit1.h"
#include "components/ReducedImage/ColourReduction.h"
#include "platform/ApplicationErrors.h"
#include "platform/WindowFrame.h"

namespace morvik {

TForm2::TForm2(TForm1& form1, QWidget* parent)
    : THookableForm(parent),
      form1_(form1),
      sd_(this, QStringLiteral("ビットマップ (*.bmp);;すべてのファイル (*.*)")) {
    ui_.setupUi(this);
    ApplyFontHeights(*this);
    // Sizable, with no title-bar buttons and no system menu; closing the
    // control window alone ends the program. The control window keeps the
    // keyboard when the map view appears.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Any client size is allowed, smaller than the menu bar's items too.
    setMinimumSize(1, 1);
    sd_.setDefaultSuffix(QStringLiteral("bmp"));
    sd_.setIconProvider(&sdIcons_);

    ConnectGuarded(ui_.N1, &QAction::triggered, this, &TForm2::N1Click);
    ConnectGuarded(ui_.N3, &QAction::triggered, this, &TForm2::N3Click);
    ConnectGuarded(ui_.N4, &QAction::triggered, this, &TForm2::N4Click);
    ConnectGuarded(ui_.Image1, &TImage::OnClick, this, &TForm2::N1Click);
    LoadZMinMax1();
    FormCreate();
}

// The size limiter as the window description gives it, in stream order,
// then told that loading is complete. It stays disabled: the map view sizes
// freely, and only its size setters fit the client size.
void TForm2::LoadZMinMax1() {
    zMinMax1_ = new TZMinMax(this);
    zMinMax1_->setObjectName(QStringLiteral("ZMinMax1"));
    zMinMax1_->SetEnabled(false);
    zMinMax1_->SetLockUp(false);
    zMinMax1_->SetAutoResize(true);
    TFrameCursor& cursor = *zMinMax1_->Cursor();
    cursor.SetCursorMode(TFrameCursor::cmAutomatic);
    cursor.SetfpTOP(TFrameCursor::cTOP);
    cursor.SetfpTOPRIGHT(TFrameCursor::cTOPRIGHT);
    cursor.SetfpRIGHT(TFrameCursor::cRIGHT);
    cursor.SetfpBOTTOMRIGHT(TFrameCursor::cBOTTOMRIGHT);
    cursor.SetfpBOTTOM(TFrameCursor::cBOTTOM);
    cursor.SetfpBOTTOMLEFT(TFrameCursor::cBOTTOMLEFT);
    cursor.SetfpLEFT(TFrameCursor::cLEFT);
    cursor.SetfpTOPLEFT(TFrameCursor::cTOPLEFT);
    zMinMax1_->SetMaxSizeMode(TZMinMax::msmValue);
    zMinMax1_->SetMinSizeX(kSmallestProgramMap.Width());
    zMinMax1_->SetMinSizeY(kSmallestProgramMap.Height());
    zMinMax1_->SetMaxSizeX(kLargestProgramMap.Width());
    zMinMax1_->SetMaxSizeY(kLargestProgramMap.Height());
    zMinMax1_->SetValueIsClient(true);
    zMinMax1_->Loaded();
}

// Left and top are the frame's. Until the window manager has framed the map
// view, its frame is taken to be like the control window's; once it has, the
// frame goes exactly beside the control window's.
void TForm2::FormCreate() {
    const QPoint frame = form1_.BoundsRect().topLeft() + QPoint(kBesideControlWindow, 0);
    move(frame + (form1_.geometry().topLeft() - form1_.BoundsRect().topLeft()));
    zMinMax1_->SetMaxSizeX(kLargestProgramMap.Width());  // beyond the screen: the screen
    zMinMax1_->SetMaxSizeY(kLargestProgramMap.Height());
    SetClientSize(TForm1::kFirstMapSize);
    ui_.Image1->setGeometry(QRect(QPoint(0, 0), ClientSize()));
    ui_.Image1->SetBitmapSize(ui_.Image1->size());
    ui_.Image1->DrawBitmap(form1_.MapBitmap());
    show();
    WaitUntilFramed();
    SetFrameTopLeft(frame);
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Guard(this, [this] { FormResize(); });
}

// Qt writes its own frame hints whenever it makes the native window.
void TForm2::showEvent(QShowEvent* event) {
    RequestButtonlessFrame(*this);
    QMainWindow::showEvent(event);
}

// The map view lives as long as the control window: the window manager's
// close (a title-bar button, a key) is refused. Once the control window has
// closed, Qt's quit closes the map view too, and that close must go through.
void TForm2::closeEvent(QCloseEvent* event) { event->setAccepted(!form1_.isVisible()); }

// The image holder stays just outside the client area.
void TForm2::FormResize() {
    const QSize client = ClientSize();
    form1_.Controls().WV->SetNValue(client.width());
    form1_.Controls().HV->SetNValue(client.height());
    ui_.RI->move(client.width(), client.height());
}

void TForm2::SetViewItems(const QString& n3Caption, const QString& n4Caption, bool enabled) {
    TMenuBar::SetItem(*ui_.N3, n3Caption, enabled);
    TMenuBar::SetItem(*ui_.N4, n4Caption, enabled);
}

void TForm2::SetViewItemsEnabled(bool enabled) {
    SetViewItems(ui_.N3->text(), ui_.N4->text(), enabled);
}

void TForm2::N1Click() {
    if (sd_.exec() != QDialog::Accepted || sd_.selectedFiles().isEmpty()) return;
    ui_.RI->SetBitmap(ui_.Image1->Bitmap());
    ui_.RI->ReduceColors(kMostRequested);
    ui_.RI->SaveToFile(sd_.selectedFiles().constFirst());
}

void TForm2::N3Click() {
    form1_.RepaintClick();
    SetViewItems(TMenuBar::kSeparatorCaption, kCoastlineCaption, ViewItemsEnabled());
}

void TForm2::N4Click() {
    form1_.LineOnlyClick();
    SetViewItems(kNormalCaption, TMenuBar::kSeparatorCaption, ViewItemsEnabled());
}

}  // namespace morvik
