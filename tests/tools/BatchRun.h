#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace morvik {

// What one run of the batch tool left: its exit status and both streams.
struct BatchRun {
    int exitCode;
    QByteArray out;
    QString err;

    QString Text() const { return QString::fromUtf8(out); }
};

// The tool, or with `wrapper` the tool run by another program (setpriv)
// that takes it as its last arguments.
inline BatchRun Batch(const QStringList& arguments, const QStringList& wrapper = {},
                      const QString& tool = MORVIK_BATCH_PATH) {
    QProcess process;
    if (wrapper.isEmpty()) {
        process.start(tool, arguments);
    } else {
        process.start(wrapper[0], wrapper.mid(1) + QStringList{tool} + arguments);
    }
    EXPECT_TRUE(process.waitForFinished(120000));
    return BatchRun{process.exitCode(), process.readAllStandardOutput(),
                    QString::fromUtf8(process.readAllStandardError())};
}

// A bash command line, run in `folder`, with the tool's path in $TOOL and
// `environment` added.
inline BatchRun Shell(const QString& script, const QString& folder,
                      const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert("TOOL", MORVIK_BATCH_PATH);
    for (const QString& variable : environment) {
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    }
    process.setProcessEnvironment(variables);
    process.setWorkingDirectory(folder);
    process.start("bash", {"-c", script});
    EXPECT_TRUE(process.waitForFinished(120000));
    return BatchRun{process.exitCode(), process.readAllStandardOutput(),
                    QString::fromUtf8(process.readAllStandardError())};
}

// The batch tool as run by the owner of `folder`: as root, by nobody, made
// its owner, from a copy that user can reach wherever the build lies, so
// that a folder shut to its owner is shut to the tool; else as it is. Pass
// `wrapper` and `tool` to Batch.
class ToolAsOwner {
  public:
    explicit ToolAsOwner(const QString& folder) {
        if (geteuid() != 0) return;
        EXPECT_EQ(chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        tool = copies_.filePath("morvik-batch");
        EXPECT_TRUE(QFile::copy(MORVIK_BATCH_PATH, tool));
        EXPECT_EQ(chmod(QFile::encodeName(copies_.path()).constData(), 0755), 0);
    }

    QStringList wrapper;
    QString tool = MORVIK_BATCH_PATH;

  private:
    QTemporaryDir copies_;
};

}  // namespace morvik
