#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace morvik {

// A progress bar without text: the foreground fills from the left
// (horizontal) or from the bottom (vertical) in whole percent steps, the
// background shows the rest.
class TGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TGaugeKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)

  public:
    enum TGaugeKind : uint8_t { gkHorizontalBar, gkVerticalBar };
    Q_ENUM(TGaugeKind)
    enum TBorderStyle : uint8_t { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TGauge(QWidget* parent = nullptr) : QWidget(parent) {}

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind kind);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& colour);
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& colour);
    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int Progress() const { return progress_; }
    void SetProgress(int progress);

    // How much of the bar the foreground fills, 0..100.
    int PercentDone() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TGaugeKind kind_ = gkHorizontalBar;
    TBorderStyle borderStyle_ = bsSingle;
    QColor foreColor_ = Qt::black;
    QColor backColor_ = Qt::white;
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
};

}  // namespace morvik
