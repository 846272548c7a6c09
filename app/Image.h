#pragma once

#include <QImage>
#include <QWidget>

namespace morvik {

// Shows its bitmap 1:1 from the top-left corner, the same whether enabled or
// not: a map never looks greyed. It takes its bitmap's size (auto-size), and
// a click reports only while enabled.
class TImage : public QWidget {
    Q_OBJECT

  public:
    explicit TImage(QWidget* parent = nullptr) : QWidget(parent) {}

    const QImage& Bitmap() const { return bitmap_; }
    // Keeps the picture's top-left part; new area is black. The control
    // takes the new size.
    void SetBitmapSize(QSize size);
    void DrawBitmap(const QImage& source);

  signals:
    void OnClick(morvik::TImage* sender);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage bitmap_;
};

}  // namespace morvik
