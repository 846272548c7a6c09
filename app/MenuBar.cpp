#include "app/MenuBar.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QToolButton>

namespace morvik {

namespace {

// Separator items take a narrow slot and items sit closer together, so that
// the map view's five items fit its smallest width, 160 pixels. In the
// extension menu, which holds the items that do not fit, a separator item is
// a separator line. The item the keyboard is on shows as chosen: styles such
// as Fusion highlight a bar item only while its popup is open, and these
// items have none.
class MenuBarStyle : public QProxyStyle {
  public:
    static constexpr int kSlotWidth = 7;
    static constexpr int kItemSpacing = 2;

    using QProxyStyle::QProxyStyle;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem && IsSeparator(option)) {
            const QStyleOptionMenuItem line = AsSeparatorLine(option);
            return QProxyStyle::sizeFromContents(type, &line, size, widget);
        }
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem && IsSeparator(option)) result.setWidth(kSlotWidth);
        return result;
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem && IsSeparator(option)) {
            const QStyleOptionMenuItem line = AsSeparatorLine(option);
            QProxyStyle::drawControl(element, &line, painter, widget);
            return;
        }
        if (element == CE_MenuBarItem && IsKeyboardCurrent(option, widget)) {
            QStyleOptionMenuItem chosen = *qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            chosen.state |= State_Sunken;
            QProxyStyle::drawControl(element, &chosen, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_MenuBarItemSpacing) return kItemSpacing;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

  private:
    // The bar has the focus only while the keyboard moves in it.
    static bool IsKeyboardCurrent(const QStyleOption* option, const QWidget* widget) {
        return (option->state & State_Selected) && widget != nullptr && widget->hasFocus();
    }

    static bool IsSeparator(const QStyleOption* option) {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        return item != nullptr && item->text == TMenuBar::kSeparatorCaption;
    }

    static QStyleOptionMenuItem AsSeparatorLine(const QStyleOption* option) {
        QStyleOptionMenuItem line = *qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        line.menuItemType = QStyleOptionMenuItem::Separator;
        line.text.clear();
        return line;
    }
};

}  // namespace

TMenuBar::TMenuBar(QWidget* parent) : QMenuBar(parent) {
    auto* style = new MenuBarStyle(QApplication::style()->name());
    style->setParent(this);
    setStyle(style);
    // A widget's style does not pass to its children. The bar moves the items
    // that do not fit into its extension button's menu, making one only if
    // the button has none; ours carries this style.
    if (auto* extension = findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"))) {
        auto* overflow = new QMenu(this);
        overflow->setStyle(style);
        extension->setMenu(overflow);
    }
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
