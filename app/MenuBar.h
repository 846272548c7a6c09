#pragma once

#include <QMenuBar>

namespace morvik {

// A menu bar whose top-level items with the caption "-" are separators: a
// line in the bar and in the extension menu of the items that do not fit,
// never chosen nor reached by keyboard (the owner keeps them disabled). Qt's
// own separators take no room in a menu bar. The item the keyboard is on is
// highlighted.
class TMenuBar : public QMenuBar {
    Q_OBJECT

  public:
    static inline const QString kSeparatorCaption = QStringLiteral("-");

    explicit TMenuBar(QWidget* parent = nullptr);

    // Sets an item's caption, enabled only if it is a command.
    static void SetItem(QAction& item, const QString& caption, bool enabled);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace morvik
