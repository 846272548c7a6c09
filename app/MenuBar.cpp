#include "app/MenuBar.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace morvik {

namespace {

// Separator items take a narrow slot and items sit closer together, so that
// the map view's five items fit its smallest width, 160 pixels.
class SeparatorSlotStyle : public QProxyStyle {
  public:
    static constexpr int kSlotWidth = 7;
    static constexpr int kItemSpacing = 2;

    using QProxyStyle::QProxyStyle;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuBarItem && item != nullptr &&
            item->text == TMenuBar::kSeparatorCaption) {
            result.setWidth(kSlotWidth);
        }
        return result;
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_MenuBarItemSpacing) return kItemSpacing;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

TMenuBar::TMenuBar(QWidget* parent) : QMenuBar(parent) {
    auto* style = new SeparatorSlotStyle(QApplication::style()->name());
    style->setParent(this);
    setStyle(style);
}

void TMenuBar::SetItem(QAction& item, const QString& caption, bool enabled) {
    item.setText(caption);
    item.setEnabled(enabled && caption != kSeparatorCaption);
}

void TMenuBar::paintEvent(QPaintEvent* event) {
    QMenuBar::paintEvent(event);
    QPainter painter(this);
    for (QAction* item : actions()) {
        if (item->text() != kSeparatorCaption) continue;
        QStyleOptionMenuItem blank;
        initStyleOption(&blank, item);
        blank.text.clear();
        style()->drawControl(QStyle::CE_MenuBarItem, &blank, &painter, this);

        // An etched line down the middle of the slot.
        const QRect slot = actionGeometry(item).adjusted(0, 3, 0, -3);
        const int x = slot.center().x();
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(x, slot.top(), x, slot.bottom());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(x + 1, slot.top(), x + 1, slot.bottom());
    }
}

}  // namespace morvik
