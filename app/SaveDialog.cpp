#include "app/SaveDialog.h"

#include <QFileInfo>
#include <QLineEdit>
#include <utility>

namespace morvik {

namespace {

bool HasWildcard(const QString& text) { return text.contains(u'*') || text.contains(u'?'); }

// The name without its extension and the dot before it.
QString WithoutExtension(const QString& name) {
    const QString extension = QFileInfo(name).suffix();
    return extension.isEmpty() ? name : name.chopped(extension.size() + 1);
}

}  // namespace

SaveDialog::SaveDialog(QWidget* parent, const QString& filter)
    : QFileDialog(parent, QString(), QString(), filter) {
    setAcceptMode(AcceptSave);
    connect(this, &QFileDialog::filterSelected, this, &SaveDialog::KeepTypedExtension);
}

// Qt makes its own widgets only where it shows no native dialog (which keeps
// names as typed). It rewrites the name as it switches the file type, before
// it says so: the name as it was just before is kept to put back.
void SaveDialog::showEvent(QShowEvent* event) {
    if (nameEdit_ == nullptr) {
        nameEdit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (nameEdit_ != nullptr) {
            name_ = nameEdit_->text();
            connect(nameEdit_, &QLineEdit::textChanged, this,
                    [this](const QString& name) { nameBefore_ = std::exchange(name_, name); });
        }
    }
    QFileDialog::showEvent(event);
}

// A wildcard for an extension came from the file type, not from the user.
void SaveDialog::KeepTypedExtension() {
    if (nameEdit_ == nullptr) return;
    if (HasWildcard(QFileInfo(name_).suffix()) && !QFileInfo(nameBefore_).suffix().isEmpty() &&
        WithoutExtension(name_) == WithoutExtension(nameBefore_)) {
        nameEdit_->setText(nameBefore_);
    }
}

void SaveDialog::accept() {
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && HasWildcard(QFileInfo(chosen.first()).fileName())) {
        const QFileInfo file(chosen.first());
        const QString name = WithoutExtension(file.fileName());
        if (name.isEmpty() || HasWildcard(name)) return;
        // As if typed: the default extension follows. (Qt leaves the name
        // that the user is typing as it is when told to select a file.)
        if (nameEdit_ != nullptr) {
            nameEdit_->setText(WithoutExtension(nameEdit_->text()));
        } else {
            selectFile(file.dir().filePath(name));
        }
    }
    QFileDialog::accept();
}

}  // namespace morvik
