#pragma once

#include <QFileDialog>

class QLineEdit;

namespace morvik {

// Qt's file dialog for saving, made to take a name as typed. Choosing a file
// type whose pattern is a wildcard (*.*) keeps the name's own extension,
// where Qt's dialog would give it the pattern's, and a name whose extension
// is a wildcard counts as one without an extension. No other name with a
// wildcard is accepted: a pattern names no file.
class SaveDialog : public QFileDialog {
    Q_OBJECT

  public:
    SaveDialog(QWidget* parent, const QString& filter);

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void KeepTypedExtension();

    QLineEdit* nameEdit_ = nullptr;  // the dialog's own, found by its name
    QString nameBefore_;
    QString name_;
};

}  // namespace morvik
