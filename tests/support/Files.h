#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace morvik {

// A file's whole contents; when it cannot be read, a text naming it, so that
// two missing files never pass for equal ones and a missing file never
// passes for any contents expected of it.
inline QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll()
                                          : "<" + name.toUtf8() + " cannot be read>";
}

}  // namespace morvik
