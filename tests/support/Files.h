#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace morvik {

// A file's whole contents; "<missing>" when it cannot be read, so that two
// missing files never pass for equal ones.
inline QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace morvik
