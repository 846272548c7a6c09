#include "app/Fonts.h"

#include <QFont>
#include <QWidget>

namespace morvik {

void InstallFontSubstitutes() {
    const QStringList japaneseSans{"Noto Sans CJK JP", "Noto Sans JP", "VL Gothic", "TakaoGothic",
                                   "Droid Sans Japanese"};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               QStringList{"IPAPGothic", "IPA Pゴシック"} + japaneseSans);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               QStringList{"IPAGothic", "IPAゴシック"} + japaneseSans);
}

void ApplyFontHeights(QWidget& form) {
    QList<QWidget*> widgets = form.findChildren<QWidget*>();
    widgets.prepend(&form);
    for (QWidget* widget : widgets) {
        const QVariant height = widget->property("FontHeight");
        if (!height.isValid()) continue;
        QFont font = widget->font();
        font.setPixelSize(height.toInt());
        widget->setFont(font);
    }
}

}  // namespace morvik
