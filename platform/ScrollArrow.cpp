#include "platform/ScrollArrow.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

namespace morvik {

void DrawScrollArrow(QPainter& painter, const QWidget& widget, const QRect& rect,
                     QStyle::PrimitiveElement arrow, bool active, bool pushed) {
    QStyleOption option;
    option.initFrom(&widget);
    option.rect = rect;
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    if (active) {
        option.state |= QStyle::State_Enabled;
        option.state |= pushed ? QStyle::State_Sunken : QStyle::State_Raised;
    } else {
        option.state &= ~QStyle::State_Enabled;
        option.state |= QStyle::State_Raised;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    QStyle* style = widget.style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, &widget);
    if (active && pushed) option.rect.translate(1, 1);
    style->drawPrimitive(arrow, &option, &painter, &widget);
}

}  // namespace morvik
