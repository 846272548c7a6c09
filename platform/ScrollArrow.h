#pragma once

#include <QRect>
#include <QStyle>

class QPainter;
class QWidget;

namespace morvik {

// One scroll-bar arrow button as the widget's style draws it: normal, pushed
// (the arrow one pixel down and right) or inactive (greyed, never pushed).
void DrawScrollArrow(QPainter& painter, const QWidget& widget, const QRect& rect,
                     QStyle::PrimitiveElement arrow, bool active, bool pushed);

}  // namespace morvik
