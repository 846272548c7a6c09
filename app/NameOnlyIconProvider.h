#pragma once

#include <QFileIconProvider>

namespace morvik {

// Icons and type texts for the save dialog's file list, told from a file's
// name and kind (folder, file, drive, link) alone. Qt's own provider reads a
// file's first bytes to learn its type, and a read of /proc/kmsg or a FIFO
// never returns. The dialog's gatherer thread calls this too, so it keeps no
// state.
class NameOnlyIconProvider : public QFileIconProvider {
  public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

}  // namespace morvik
