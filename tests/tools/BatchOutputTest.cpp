#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include "terrain/Heightmap.h"
#include "tests/ReducedImage/BmpBuilder.h"
#include "tests/support/Files.h"
#include "tests/tools/BatchRun.h"
#include "tools/OutputFiles.h"
#include "tools/OutputSet.h"

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
    const ToolAsOwner owner(directory.path());
    ASSERT_TRUE(QDir().mkdir(Path("shut")));
    ASSERT_EQ(chmod(QFile::encodeName(Path("shut")).constData(), 0555), 0);
    WriteText(Path("h.png"), "old heights");
    ASSERT_EQ(chmod(QFile::encodeName(Path("h.png")).constData(), 0666), 0);

    const BatchRun run = Batch(
        QStringList{"generate", "--heightmap", Path("h.png"), "-o", Path("shut/m.png")} + kSmallMap,
        owner.wrapper, owner.tool);
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
                        " --width 3000 --height 3000 --tick 123456789";
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
        OutputSet abandoned;
        OutputFile& file = abandoned.Open(Name("m.bmp"));
        file.Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("new"), 3));
        file.Finish();
    }
    EXPECT_EQ(ReadFile(Path("m.bmp")), "old");
    EXPECT_EQ(Entries(), QStringList{"m.bmp"});

    OutputSet kept;
    kept.Open(Name("m.bmp"))
        .Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("new"), 3));
    kept.Commit();
    EXPECT_EQ(ReadFile(Path("m.bmp")), "new");
    EXPECT_EQ(ModeOf(Path("m.bmp")) & 0777, 0640u);
    EXPECT_EQ(Entries(), QStringList{"m.bmp"});

    // The longest name a folder takes leaves no room for a longer one beside it.
    const QString longest = QString(251, 'n') + ".bmp";
    OutputSet named;
    named.Open(Name(longest))
        .Write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("map"), 3));
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
        OutputSet set;
        WriteHeightmapRows(
            kSide, kSide,
            [&](int32_t y) {
                return std::as_bytes(
                    std::span(&heights.values[static_cast<std::size_t>(y) * kSide], kSide));
            },
            set.Open(Name("h.png")));
        set.Commit();
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
        OutputSet set;
        WriteMapImage(bmp, set.Open(Name("m.png")));
        set.Commit();
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

// Pipes reached by name (/dev/stdout, /dev/fd/N) are written through, and
// a report that would share standard output with a file goes to standard
// error instead.
TEST_F(BatchOutput, PipesBehindDevFdAndStandardOutputAreWrittenThrough) {
    const BatchRun file = Batch(
        QStringList{"generate", "-o", Path("m.bmp"), "--heightmap", Path("h.r16")} + kSmallMap);
    ASSERT_EQ(file.exitCode, 0) << file.err.toStdString();
    const QString map = kSmallMap.join(' ');
    const BatchRun stdoutPipe =
        Shell("\"$TOOL\" generate -o /dev/stdout " + map + " | cat > piped.bmp", directory.path());
    ASSERT_EQ(stdoutPipe.exitCode, 0) << stdoutPipe.err.toStdString();
    EXPECT_EQ(ReadFile(Path("piped.bmp")), ReadFile(Path("m.bmp")));
    EXPECT_TRUE(stdoutPipe.err.contains("sea_cells: ")) << "the report, on standard error";

    const BatchRun fdPipe = Shell(
        "\"$TOOL\" generate --heightmap /dev/fd/3 " + map + " 3>&1 >report.txt | cat > fd.r16",
        directory.path());
    ASSERT_EQ(fdPipe.exitCode, 0) << fdPipe.err.toStdString();
    EXPECT_EQ(ReadFile(Path("fd.r16")), ReadFile(Path("h.r16"))) << "raw values, as for -";
    EXPECT_TRUE(ReadFile(Path("report.txt")).contains("heightmap_sea_level: "));

    // A file behind /dev/stdout is written where the shell left it: after
    // what came before, not replaced.
    const BatchRun appended =
        Shell("{ printf HDR; \"$TOOL\" generate -o /dev/stdout " + map + "; } > after.bmp",
              directory.path());
    ASSERT_EQ(appended.exitCode, 0) << appended.err.toStdString();
    EXPECT_EQ(ReadFile(Path("after.bmp")), "HDR" + ReadFile(Path("m.bmp")));

    // A run that writes a pipe holds no lock while its reader, another run
    // in the same folder, has yet to read it.
    const BatchRun chained = Shell(
        "timeout 60 bash -c '\"$TOOL\" generate -o - --heightmap "
        "h2.r16 --width 1000 --height 1000 | { sleep 1; \"$TOOL\" "
        "generate -o y.bmp " +
            map + " >/dev/null; cat > z.bmp; }'",
        directory.path());
    EXPECT_EQ(chained.exitCode, 0) << chained.err.toStdString();

    // Without standard output, "-" is refused, and no file of the run
    // takes its place.
    const BatchRun closed =
        Shell("\"$TOOL\" generate --heightmap - -o other.bmp " + map + " >&-", directory.path());
    EXPECT_EQ(closed.exitCode, 1);
    EXPECT_EQ(closed.err, "morvik-batch: cannot write standard output: Bad file descriptor\n");
    EXPECT_FALSE(QFile::exists(Path("other.bmp")));
}

// A name that is no valid UTF-8 (Latin-1 here) is the file written and the
// name reported, byte for byte; and a path at the system's limit is written,
// the file made beside it meanwhile no longer than it.
TEST_F(BatchOutput, NamesAreKeptByteForByteUpToTheLongestPath) {
    const BatchRun latin =
        Shell("\"$TOOL\" generate -o $'caf\\xe9.bmp' " + kSmallMap.join(' '), directory.path());
    ASSERT_EQ(latin.exitCode, 0) << latin.err.toStdString();
    struct stat latinFile {};
    EXPECT_EQ(stat((Name("") + "/caf\xe9.bmp").c_str(), &latinFile), 0) << "the name as given";
    EXPECT_TRUE(latin.out.contains("output: caf\xe9.bmp\n")) << latin.out.toStdString();
    EXPECT_EQ(Shell("ls -A | wc -l", directory.path()).out, "1\n") << "nothing beside it";

    // Folders to 3,850 bytes, then a name that takes the path to 4,094.
    std::string path = Name("") + "/";
    while (path.size() < 3850) {
        path += std::string(std::min<std::size_t>(200, 3850 - path.size()), 'd');
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path.size();
        path += '/';
    }
    path += std::string(4094 - path.size() - 4, 'x') + ".bmp";
    const BatchRun longest = Shell("\"$TOOL\" generate -o \"$NAME\" " + kSmallMap.join(' '),
                                   directory.path(), {"NAME=" + QString::fromStdString(path)});
    EXPECT_EQ(longest.exitCode, 0) << longest.err.left(200).toStdString();
    struct stat longFile {};
    EXPECT_EQ(stat(path.c_str(), &longFile), 0);
    EXPECT_EQ(longFile.st_size, latinFile.st_size) << "the same map";
}

// A report that cannot be written (a full disk) is an error, said in one
// line; so is help that cannot be.
TEST_F(BatchOutput, AReportThatCannotBeWrittenFails) {
    for (const QString& command :
         {"\"$TOOL\" generate -o m.bmp " + kSmallMap.join(' '), QString("\"$TOOL\" --help")}) {
        const BatchRun full = Shell(command + " > /dev/full", directory.path());
        EXPECT_EQ(full.exitCode, 1) << command.toStdString();
        EXPECT_EQ(full.err,
                  "morvik-batch: cannot write standard output: No space left on device\n");
    }
}

// Runs writing the same two names at once each put their whole set in
// place: whichever map is left, the heightmap beside it is its own.
TEST_F(BatchOutput, RunsWritingTheSameNamesAtOnceLeaveAWholeSet) {
    constexpr int kRuns = 6;
    std::map<QByteArray, QByteArray> heightmapOf;
    QString together;
    for (int run = 0; run < kRuns; ++run) {
        const QString tick = QString::number(100000 + run);
        const QString own = QString::number(run);
        const QStringList map{"--width", "300", "--height", "200", "--tick", tick};
        ASSERT_EQ(Batch(QStringList{"generate", "-o", Path(own + ".bmp"), "--heightmap",
                                    Path(own + ".r16")} +
                        map)
                      .exitCode,
                  0);
        heightmapOf[ReadFile(Path(own + ".bmp"))] = ReadFile(Path(own + ".r16"));
        together += "\"$TOOL\" generate -o a.bmp --heightmap a.r16 " + map.join(' ') + " & ";
    }
    for (int trial = 0; trial < 4; ++trial) {
        const BatchRun all = Shell(together + "wait", directory.path());
        ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
        const auto map = heightmapOf.find(ReadFile(Path("a.bmp")));
        ASSERT_NE(map, heightmapOf.end());
        EXPECT_EQ(ReadFile(Path("a.r16")), map->second) << "trial " << trial;
    }
}

// Where the system starts no more threads, the tool goes on with fewer, down
// to its own, and writes the same files.
TEST_F(BatchOutput, ThreadsThatCannotStartGiveTheSameFiles) {
    const QString map = "--width 700 --height 500 --erode 5 --tick 77777";
    const BatchRun usual =
        Shell("\"$TOOL\" generate -o u.bmp --heightmap u.png " + map, directory.path());
    ASSERT_EQ(usual.exitCode, 0) << usual.err.toStdString();
    for (const QString allowed : {"0", "1"}) {
        const BatchRun fewer =
            Shell("\"$TOOL\" generate -o f.bmp --heightmap f.png " + map, directory.path(),
                  {"LD_PRELOAD=" FAILING_THREADS_PATH, "FAILING_THREADS_ALLOWED=" + allowed,
                   "ASAN_OPTIONS=verify_asan_link_order=0"});
        ASSERT_EQ(fewer.exitCode, 0) << fewer.err.toStdString();
        EXPECT_EQ(ReadFile(Path("f.bmp")), ReadFile(Path("u.bmp"))) << allowed.toStdString();
        EXPECT_EQ(ReadFile(Path("f.png")), ReadFile(Path("u.png"))) << allowed.toStdString();
    }
}

}  // namespace
}  // namespace morvik
