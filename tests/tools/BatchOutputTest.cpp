#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/ReducedImage/BmpBuilder.h"
#include "tests/support/Files.h"
#include "tests/tools/BatchRun.h"
#include "tools/OutputFile.h"
#include "tools/OutputFiles.h"

namespace morvik {
namespace {

void WriteText(const QString& name, const QByteArray& text) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

mode_t ModeOf(const QString& name) {
    struct stat status {};
    return lstat(QFile::encodeName(name).constData(), &status) == 0 ? status.st_mode : 0;
}

class BatchOutput : public testing::Test {
  protected:
    QString Path(const QString& name) const { return directory.filePath(name); }
    // The same, as the tool takes a file name: its bytes.
    std::string Name(const QString& name) const {
        return QFile::encodeName(Path(name)).toStdString();
    }
    QStringList Entries() const {
        return QDir(directory.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir directory;
};

const QStringList kSmallMap{"--width", "120", "--height", "90", "--tick", "123456789"};

// Where a small file system can be mounted (as root), the second file
// finds the disk full; neither old file changes and nothing is left over.
TEST_F(BatchOutput, ASecondFileThatFailsLeavesBothOldFiles) {
    const QString disk = Path("disk");
    ASSERT_TRUE(QDir().mkdir(disk));
    if (mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=200k") != 0) {
        GTEST_SKIP() << "no small file system can be mounted here";
    }
    WriteText(disk + "/h.r16", "old heights");
    WriteText(disk + "/m.bmp", "old map");
    // 180,000 bytes of heights fit, the 90,000 of the map after them do not.
    const BatchRun run = Batch({"generate", "--heightmap", disk + "/h.r16", "-o", disk + "/m.bmp",
                                "--width", "300", "--height", "300", "--tick", "123456789"});
    const QStringList left = QDir(disk).entryList(QDir::Files | QDir::Hidden);
    const QByteArray heights = ReadFile(disk + "/h.r16");
    const QByteArray map = ReadFile(disk + "/m.bmp");
    umount(QFile::encodeName(disk).constData());

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        run.err.toStdString(),
        ("morvik-batch: cannot write " + disk + "/m.bmp: No space left on device\n").toStdString());
    EXPECT_TRUE(run.out.isEmpty()) << "no report";
    EXPECT_EQ(heights, "old heights");
    EXPECT_EQ(map, "old map");
    EXPECT_EQ(left, (QStringList{"h.r16", "m.bmp"}));
}

// A folder the user may not write to fails the map, so the heightmap,
// written first, is not replaced either.
TEST_F(BatchOutput, AFileThatCannotBeMadeLeavesTheOtherAlone) {
    // As root, the tool runs as nobody, from a copy that user can reach
    // wherever the build lies.
    QStringList asUser;
    QTemporaryDir toolFolder;
    QString tool = MORVIK_BATCH_PATH;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(QFile::encodeName(directory.path()).constData(), 65534, 65534), 0);
        asUser = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        tool = toolFolder.filePath("morvik-batch");
        ASSERT_TRUE(QFile::copy(MORVIK_BATCH_PATH, tool));
        ASSERT_EQ(chmod(QFile::encodeName(toolFolder.path()).constData(), 0755), 0);
    }
    ASSERT_TRUE(QDir().mkdir(Path("shut")));
    ASSERT_EQ(chmod(QFile::encodeName(Path("shut")).constData(), 0555), 0);
    WriteText(Path("h.png"), "old heights");
    ASSERT_EQ(chmod(QFile::encodeName(Path("h.png")).constData(), 0666), 0);

    const BatchRun run = Batch(
        QStringList{"generate", "--heightmap", Path("h.png"), "-o", Path("shut/m.png")} + kSmallMap,
        asUser, tool);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.toStdString(),
              ("morvik-batch: cannot write " + Path("shut/m.png") + ": Permission denied\n")
                  .toStdString());
    EXPECT_EQ(ReadFile(Path("h.png")), "old heights");
    EXPECT_FALSE(QFile::exists(Path("shut/m.png")));
    EXPECT_EQ(Entries(), (QStringList{"h.png", "shut"}));
}

// A device or FIFO, or a link to one, is written to and stays what it is.
TEST_F(BatchOutput, DevicesAndFifosAreWrittenThroughNeverReplaced) {
    ASSERT_TRUE(QFile::link("/dev/full", Path("full.r16")));
    const BatchRun full =
        Batch(QStringList{"generate", "--heightmap", Path("full.r16")} + kSmallMap);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err.toStdString(),
              ("morvik-batch: cannot write " + Path("full.r16") + ": No space left on device\n")
                  .toStdString());
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
    EXPECT_TRUE(S_ISLNK(ModeOf(Path("full.r16"))));

    ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe.r16")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(Path("pipe.r16"), Path("link.r16")));
    QProcess reader;
    reader.start("cat", {Path("pipe.r16")});
    ASSERT_TRUE(reader.waitForStarted());
    const BatchRun run =
        Batch(QStringList{"generate", "--heightmap", Path("link.r16")} + kSmallMap);
    ASSERT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(reader.readAllStandardOutput().size(), 120 * 90 * 2);
    EXPECT_TRUE(S_ISFIFO(ModeOf(Path("pipe.r16"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(Path("link.r16"))));
}

TEST_F(BatchOutput, DashIsStandardOutputAndMovesTheReport) {
    const BatchRun file = Batch(QStringList{"generate", "-o", Path("m.bmp")} + kSmallMap);
    const BatchRun piped = Batch(QStringList{"generate", "-o", "-"} + kSmallMap);
    ASSERT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, ReadFile(Path("m.bmp")));
    EXPECT_EQ(piped.err.toUtf8(), QByteArray(file.out).replace(Path("m.bmp").toUtf8(), "-"));

    const BatchRun heights = Batch(QStringList{"generate", "--heightmap", "-"} + kSmallMap);
    EXPECT_EQ(heights.out.size(), 120 * 90 * 2) << "raw values";
    EXPECT_TRUE(heights.err.contains("heightmap_sea_level: "));
}

// "script" gives the tool a terminal for standard error, which is where
// the line is drawn; through a pipe, or with --quiet, there is none.
TEST_F(BatchOutput, TheProgressLineIsDrawnOnATerminalOnly) {
    const QString run = QString(MORVIK_BATCH_PATH) + " generate -o " + Path("m.bmp") +
                        " --width 1500 --height 1500 --tick 123456789";
    QProcess terminal;
    terminal.start("script", {"-qec", run + " >/dev/null", "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(60000));
    const QString drawn = QString::fromUtf8(terminal.readAllStandardOutput());
    EXPECT_TRUE(drawn.contains("\rmorvik-batch: circles")) << drawn.toStdString();
    EXPECT_TRUE(drawn.endsWith("\r\033[K")) << "cleared at the end";

    terminal.start("script", {"-qec", run + " --quiet >/dev/null", "/dev/null"});
    ASSERT_TRUE(terminal.waitForFinished(60000));
    EXPECT_EQ(terminal.readAllStandardOutput(), "");

    const BatchRun piped =
        Batch({"generate", "-o", Path("m.bmp"), "--width", "1500", "--height", "1500"});
    EXPECT_EQ(piped.err, "");
}

TEST_F(BatchOutput, ASmallTickIsWarnedAboutAndTheMapStillMade) {
    const BatchRun run = Batch({"generate", "-o", Path("m.bmp"), "--tick", "200"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.startsWith("morvik-batch: warning: tick 200 is below 480"))
        << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(Path("m.bmp")));
    EXPECT_EQ(Batch({"generate", "-o", Path("m.bmp"), "--tick", "480"}).err, "");
}

// Two outputs that are one file, by any name, cannot both be written.
TEST_F(BatchOutput, TwoNamesForOneFileAreRefused) {
    WriteText(Path("h.png"), "old");
    ASSERT_TRUE(QFile::link(Path("h.png"), Path("other.png")));
    for (const QStringList& outputs :
         {QStringList{"-o", Path("new.png"), "--heightmap", Path("./new.png")},
          QStringList{"-o", Path("other.png"), "--heightmap", Path("h.png")},
          QStringList{"-o", "-", "--heightmap", "-"}}) {
        const BatchRun run = Batch(QStringList{"generate"} + outputs);
        EXPECT_EQ(run.exitCode, 2) << outputs.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("same file") || run.err.contains("only one output"))
            << run.err.toStdString();
    }
    EXPECT_EQ(ReadFile(Path("h.png")), "old");
    EXPECT_FALSE(QFile::exists(Path("new.png")));
}

// A file replaced keeps its permissions; one never committed leaves the old
// file and nothing beside it.
TEST_F(BatchOutput, ReplacedFilesKeepTheirModeAndAbandonedOnesLeaveNoTrace) {
    WriteText(Path("m.bmp"), "old");
    ASSERT_EQ(chmod(QFile::encodeName(Path("m.bmp")).constData(), 0640), 0);
    {
        OutputFile abandoned(Name("m.bmp"));
        abandoned.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("new"), 3));
        abandoned.Finish();
    }
    EXPECT_EQ(ReadFile(Path("m.bmp")), "old");
    EXPECT_EQ(Entries(), QStringList{"m.bmp"});

    OutputFile kept(Name("m.bmp"));
    kept.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("new"), 3));
    kept.Commit();
    EXPECT_EQ(ReadFile(Path("m.bmp")), "new");
    EXPECT_EQ(ModeOf(Path("m.bmp")) & 0777, 0640u);
    EXPECT_EQ(Entries(), QStringList{"m.bmp"});

    // The longest name a folder takes leaves no room for a longer one beside it.
    const QString longest = QString(251, 'n') + ".bmp";
    OutputFile named(Name(longest));
    named.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("map"), 3));
    named.Commit();
    EXPECT_EQ(ReadFile(Path(longest)), "map");
}

// Pictures past what Qt's own image handling would take (128 MB), made
// without the generator, read back by Qt's PNG reader.
TEST_F(BatchOutput, PngFilesPastQtsImageLimitHoldEveryValueAndIndex) {
    constexpr int32_t kSide = 6000;
    Heightmap heights{MapSize(kSide, kSide), ZeroedVector<uint16_t>(kSide * kSide), 0};
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) {
            heights.values[static_cast<std::size_t>(y) * kSide + x] =
                static_cast<uint16_t>(x * 11 + y * 65521 / kSide + (x * y) % 7);
        }
    }
    {
        OutputFile file(Name("h.png"));
        WriteHeightmap(heights, file);
        file.Commit();
    }
    QImageReader::setAllocationLimit(0);
    const QImage read = QImageReader(Path("h.png")).read();
    ASSERT_EQ(read.format(), QImage::Format_Grayscale16);
    ASSERT_EQ(read.size(), QSize(kSide, kSide));
    for (int32_t y = 0; y < kSide; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(read.constScanLine(y));
        ASSERT_TRUE(std::equal(row, row + kSide, &heights.values[std::size_t{1} * y * kSide]))
            << "row " << y;
    }

    // A 4-bit map of 6000 x 6000 with a palette of 5, index (x + 2y) % 5.
    std::vector<std::vector<uint8_t>> rows(kSide, std::vector<uint8_t>(kSide / 2));
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; x += 2) {
            const int32_t stored = kSide - 1 - y;  // bottom up
            rows[stored][x / 2] = static_cast<uint8_t>((x + 2 * y) % 5 << 4 | (x + 1 + 2 * y) % 5);
        }
    }
    const std::vector<uint32_t> palette{0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const std::vector<uint8_t> bmp = MakeBmp(kSide, 4, rows, palette);
    {
        OutputFile file(Name("m.png"));
        WriteMapImage(bmp, file);
        file.Commit();
    }
    const QImage map = QImageReader(Path("m.png")).read();
    ASSERT_EQ(map.format(), QImage::Format_Indexed8);
    ASSERT_EQ(map.colorCount(), 5);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(map.color(static_cast<int>(i)) & 0xFFFFFF, palette[i]);
    }
    for (int32_t y = 0; y < kSide; y += 7) {
        for (int32_t x = 0; x < kSide; x += 3) {
            ASSERT_EQ(map.pixelIndex(x, y), (x + 2 * y) % 5) << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace morvik
