#include "app/NameOnlyIconProvider.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace morvik {

namespace {

QMimeType MimeTypeByName(const QFileInfo& info) {
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

}  // namespace

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot()) return icon(Drive);
    if (info.isDir()) return info.isSymLink() ? StandardIcon(QStyle::SP_DirLinkIcon) : icon(Folder);
    const QString themeName = MimeTypeByName(info).iconName();
    if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    return info.isSymLink() ? StandardIcon(QStyle::SP_FileLinkIcon) : icon(File);
}

// Qt's texts for folders, drives, links and other kinds are told without
// opening anything, and come in the user's language.
QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (!info.isFile()) return QFileIconProvider::type(info);
    const QMimeType mime = MimeTypeByName(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

}  // namespace morvik
