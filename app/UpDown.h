#pragma once

#include <QTimer>
#include <QWidget>

namespace morvik {

// Horizontal up-down arrows over a position between Min and Max: the left
// arrow lowers it, the right one raises it, and holding an arrow repeats.
// A press changes the position before OnMouseDown reports it; the arrow keys
// change it without any mouse event. With the focus it shows the style's focus
// frame.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)

  public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void SetMin(int min);
    int Max() const { return max_; }
    void SetMax(int max);
    int Position() const { return position_; }
    void SetPosition(int position);

  signals:
    void OnMouseDown(morvik::TUpDown* sender, Qt::MouseButton button);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class Arrow { kNone, kLeft, kRight };
    QRect ArrowRect(Arrow arrow) const;
    void Step();
    void EndHold();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    Arrow held_ = Arrow::kNone;
    QTimer repeatTimer_;
};

}  // namespace morvik
