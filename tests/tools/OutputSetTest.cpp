#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "tests/support/Files.h"
#include "tests/tools/BatchRun.h"

namespace morvik {
namespace {

using Snapshot = std::map<std::string, std::string>;

// Every file under a folder, hidden ones too, by path, with its bytes (or
// their digest, for a shorter message).
Snapshot FilesUnder(const QString& folder, const QString& prefix = {}) {
    Snapshot files;
    const QDir dir(folder);
    for (const QFileInfo& entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir()) {
            files.merge(FilesUnder(entry.filePath(), prefix + entry.fileName() + "/"));
        } else {
            const QByteArray bytes = ReadFile(entry.filePath());
            files[(prefix + entry.fileName()).toStdString()] =
                bytes.size() < 64 ? bytes.toStdString()
                                  : QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)
                                        .toHex()
                                        .toStdString();
        }
    }
    return files;
}

void WriteText(const QString& name, const QByteArray& text) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class OutputSetRun : public testing::Test {
  protected:
    QString Path(const QString& name) const { return directory.filePath(name); }
    BatchRun InFolder(const QString& script, const QStringList& environment = {}) const {
        return Shell(script, directory.path(), environment);
    }
    QTemporaryDir directory;
};

// 2 x 2 tiles of a map and a heightmap: 8 files.
const QString kTiles =
    "\"$TOOL\" generate --tiles 2x2 -o m.png --heightmap h.png --width 121 --height 91 "
    "--tick 123456789";
const QStringList kTileNames{"h_x0_y0.png", "h_x1_y0.png", "h_x0_y1.png", "h_x1_y1.png",
                             "m_x0_y0.png", "m_x1_y0.png", "m_x0_y1.png", "m_x1_y1.png"};

// 8 x 8 tiles of a large map and its heightmap, started in the background:
// the script goes on once all 128 new files are there beside their names.
const QString kStartLargeTiles =
    "set -m; ulimit -c 0; \"$TOOL\" generate --tiles 8x8 -o m.png --heightmap h.png "
    "--width 4001 --height 4001 >/dev/null & pid=$!\n"
    "while kill -0 $pid 2>/dev/null && [ $(ls -A | grep -c '^\\.') -lt 128 ]; do sleep 0.02; "
    "done\n";

// A rename that fails in the middle of the set, where names are exchanged
// and where they cannot be: every old file is back, a name that was free
// is free again, and nothing is left beside them.
TEST_F(OutputSetRun, ARenameThatFailsPutsTheWholeOldSetBack) {
    for (const QString& name : kTileNames) {
        if (name != "h_x0_y1.png" && name != "m_x1_y0.png")
            WriteText(Path(name), "old " + name.toUtf8());
    }
    const Snapshot before = FilesUnder(directory.path());
    const QString preload = "LD_PRELOAD=" FAILING_RENAMES_PATH;
    const QString asan = "ASAN_OPTIONS=verify_asan_link_order=0";
    for (const QString exchange : {"", "FAILING_RENAMES_NO_EXCHANGE=1"}) {
        for (const QString at : {"2", "5", "8"}) {
            const BatchRun run =
                InFolder(kTiles, {preload, asan, "FAILING_RENAMES_AT=" + at, exchange});
            EXPECT_EQ(run.exitCode, 1) << at.toStdString() << " " << exchange.toStdString();
            EXPECT_TRUE(run.err.endsWith(": Input/output error\n")) << run.err.toStdString();
            EXPECT_EQ(FilesUnder(directory.path()), before)
                << at.toStdString() << exchange.toStdString();
        }
    }
    // Without a failure, names that cannot be exchanged still take the set's
    // place, the same as names that can.
    ASSERT_EQ(InFolder(kTiles, {preload, asan, "FAILING_RENAMES_NO_EXCHANGE=1"}).exitCode, 0);
    const Snapshot replaced = FilesUnder(directory.path());
    EXPECT_EQ(replaced.size(), 8u);
    ASSERT_EQ(InFolder(kTiles).exitCode, 0);
    EXPECT_EQ(FilesUnder(directory.path()), replaced);
    EXPECT_NE(replaced, before);
}

// A signal that comes while the set is being put in place waits until the
// files already replaced are put back, then ends the run.
TEST_F(OutputSetRun, ASignalDuringTheCommitEndsTheRunWithTheOldSet) {
    for (const QString& name : kTileNames) WriteText(Path(name), "old");
    const Snapshot before = FilesUnder(directory.path());
    const BatchRun run = InFolder(
        "set -m; " + kTiles +
            " & pid=$!\n"
            "while kill -0 $pid 2>/dev/null && [ $(stat -c %s h_x0_y0.png) -eq 3 ]; do sleep 0.01; "
            "done\n"
            "kill -TERM $pid; wait $pid; echo $?",
        {"LD_PRELOAD=" FAILING_RENAMES_PATH, "ASAN_OPTIONS=verify_asan_link_order=0",
         "FAILING_RENAMES_DELAY_MS=300"});
    EXPECT_EQ(run.out, "143\n") << run.err.toStdString();
    EXPECT_EQ(FilesUnder(directory.path()), before);
}

// Each signal that ends a run, sent while its 128 new files are there,
// takes them all away before it ends the run as it asks.
TEST_F(OutputSetRun, EachSignalLeavesTheFolderAsItWas) {
    WriteText(Path("m_x0_y0.png"), "old map");
    WriteText(Path("h_x7_y7.png"), "old heights");
    const Snapshot before = FilesUnder(directory.path());
    for (const auto& [signal, number] :
         std::map<QString, int>{{"INT", 2}, {"TERM", 15}, {"HUP", 1}, {"QUIT", 3}, {"XFSZ", 25}}) {
        const BatchRun run =
            InFolder(kStartLargeTiles + "kill -" + signal + " $pid; wait $pid; echo $?");
        EXPECT_EQ(run.out, QByteArray::number(128 + number) + "\n") << signal.toStdString();
        EXPECT_EQ(FilesUnder(directory.path()), before) << signal.toStdString();
    }

    // Under nohup, a closed terminal is no reason to stop.
    const BatchRun kept =
        InFolder("trap '' HUP; " + kStartLargeTiles + "kill -HUP $pid; wait $pid; echo $?");
    EXPECT_EQ(kept.out, "0\n") << kept.err.toStdString();
    const Snapshot made = FilesUnder(directory.path());
    EXPECT_EQ(made.size(), 128u);
    EXPECT_NE(made.at("m_x0_y0.png"), "old map");
}

// A run killed outright cannot clean up: its new files stay beside their
// names, named as unfinished, and the next run of the same set removes
// them, and nothing else: not another file's, nor an old file kept aside.
TEST_F(OutputSetRun, TheNextRunRemovesWhatAKilledRunLeft) {
    WriteText(Path(".other.png.morvik-unfinished.12"), "another file's");
    WriteText(Path(".m_x0_y0.png.345"), "an old file kept aside");
    const BatchRun killed = InFolder(kStartLargeTiles + "kill -KILL $pid; wait $pid; echo $?");
    EXPECT_EQ(killed.out, "137\n") << killed.err.toStdString();
    int unfinished = 0;
    for (const auto& [name, bytes] : FilesUnder(directory.path())) {
        unfinished += name.find(".morvik-unfinished.") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(unfinished, 129) << "the killed run's 128, and the other file's";

    const BatchRun next = InFolder(
        "\"$TOOL\" generate --tiles 8x8 -o m.png --heightmap h.png --width 4001 --height 4001");
    ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
    const Snapshot after = FilesUnder(directory.path());
    EXPECT_EQ(after.size(), 128u + 2);
    EXPECT_EQ(after.at(".other.png.morvik-unfinished.12"), "another file's");
    EXPECT_EQ(after.at(".m_x0_y0.png.345"), "an old file kept aside");
}

// A run past `ulimit -f` says which file is too large, in one line, and
// leaves every file as it was: one put beside its place, and one rewritten
// in place (its folder shut to the user), whose old bytes are kept.
TEST_F(OutputSetRun, TheFileSizeLimitLeavesEveryFileAsItWas) {
    WriteText(Path("m.bmp"), "old map");
    WriteText(Path("h.r16"), "old heights");
    Snapshot before = FilesUnder(directory.path());
    // 180,000 bytes of heights pass the limit of 100 KiB, 91,078 of the map do not.
    const BatchRun staged = InFolder(
        "ulimit -f 100; \"$TOOL\" generate -o m.bmp --heightmap h.r16 --width 300 --height 300");
    EXPECT_EQ(staged.exitCode, 1);
    EXPECT_EQ(staged.err, "morvik-batch: cannot write h.r16: File too large\n");
    EXPECT_EQ(FilesUnder(directory.path()), before);

    const ToolAsOwner owner(directory.path());
    ASSERT_TRUE(QDir().mkdir(Path("shut")));
    WriteText(Path("shut/h.r16"), "old heights in place");
    ASSERT_EQ(chmod(QFile::encodeName(Path("shut/h.r16")).constData(), 0666), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Path("shut")).constData(), 0555), 0);
    before = FilesUnder(directory.path());
    // The map in 16 colours, 45,718 bytes, is put in place before the heights fail.
    const BatchRun inPlace = Batch(
        {"generate", "-o", Path("m.bmp"), "--colors", "16", "--heightmap", Path("shut/h.r16"),
         "--width", "300", "--height", "300"},
        owner.wrapper + QStringList{"bash", "-c", "ulimit -f 100; exec \"$0\" \"$@\""}, owner.tool);
    EXPECT_EQ(inPlace.exitCode, 1);
    EXPECT_EQ(
        inPlace.err.toStdString(),
        ("morvik-batch: cannot write " + Path("shut/h.r16") + ": File too large\n").toStdString());
    EXPECT_EQ(FilesUnder(directory.path()), before);
}

}  // namespace
}  // namespace morvik
