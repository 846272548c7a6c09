#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <utility>
#include <vector>

#include "components/ReducedImage/BmpCrop.h"
#include "tests/ReducedImage/BmpBuilder.h"
#include "tests/support/Files.h"
#include "tests/tools/BatchRun.h"
#include "tools/BatchOptions.h"
#include "tools/ThreadCount.h"

namespace morvik {
namespace {

void WriteFile(const QString& name, const std::vector<uint8_t>& bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

class BatchTool : public testing::Test {
  protected:
    QString Path(const char* name) const { return directory.filePath(name); }
    QTemporaryDir directory;
};

TEST_F(BatchTool, SameTickGivesTheSameFileByteForByte) {
    const QStringList arguments{"--width", "200", "--height", "150", "--tick", "3000000000"};
    const BatchRun first = Batch(QStringList{"generate", "-o", Path("a.bmp")} + arguments);
    const BatchRun second = Batch(QStringList{"generate", "-o", Path("b.bmp")} + arguments);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(ReadFile(Path("a.bmp")), ReadFile(Path("b.bmp")));
    EXPECT_TRUE(QFile::exists(Path("a.bmp")));

    const QStringList lines = first.Text().split('\n', Qt::SkipEmptyParts);
    QStringList keys;
    for (const QString& line : lines) keys << line.section(": ", 0, 0);
    EXPECT_EQ(keys, (QStringList{"tick", "total_iterations", "sea_target", "lowering_passes",
                                 "sea_cells", "highest", "lowest", "source_colors", "color_count",
                                 "levels", "output"}));
    EXPECT_EQ(lines[0], "tick: 3000000000");
    EXPECT_EQ(lines[1], "total_iterations: 1000");  // 30000 / 50 + 400
    EXPECT_EQ(lines[2], "sea_target: 500");
    const int passes = lines[3].section(": ", 1).toInt();
    EXPECT_EQ(lines[5], QString("highest: %1").arg(100 - passes));
    EXPECT_EQ(lines[6], QString("lowest: %1").arg(-passes));
    EXPECT_GE(lines[4].section(": ", 1).toInt(), 15000);
    EXPECT_EQ(lines[10], "output: " + Path("a.bmp"));

    QImageReader reader(Path("a.bmp"));
    const QImage saved = reader.read();
    EXPECT_EQ(saved.format(), QImage::Format_Indexed8);
    EXPECT_EQ(saved.size(), QSize(200, 150));
}

TEST_F(BatchTool, CoastlineAndFewColoursMakeAFourBitFile) {
    const BatchRun run = Batch({"generate", "-o", Path("coast.bmp"), "--view", "coastline",
                                "--colors", "16", "--tick", "77777"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("color_count: 2\n"));
    const QImage saved = QImageReader(Path("coast.bmp")).read();
    EXPECT_EQ(saved.format(), QImage::Format_Indexed8) << "Qt reads 4-bit files as indexed";
    EXPECT_EQ(saved.colorCount(), 2);
    EXPECT_EQ(saved.size(), QSize(160, 120));
    EXPECT_EQ(static_cast<uint8_t>(ReadFile(Path("coast.bmp"))[28]), 4);
}

TEST_F(BatchTool, ReduceRewritesABitmapAsPaletteImage) {
    QImage picture(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) picture.setPixel(x, y, qRgb(x * 6, y * 8, 255 - x * 6));
    }
    ASSERT_TRUE(picture.save(Path("in.bmp"), "BMP"));
    const BatchRun run = Batch({"reduce", Path("in.bmp"), Path("out.bmp"), "--colors", "64"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("source_colors: "));
    const QImage saved = QImageReader(Path("out.bmp")).read();
    EXPECT_EQ(saved.size(), QSize(40, 30));
    EXPECT_LE(saved.colorCount(), 64);
}

TEST_F(BatchTool, BadArgumentsSayWhyInOneLineAndExitWith2) {
    const std::vector<std::pair<QStringList, QString>> cases{
        {{}, "no command given"},
        {{"paint"}, "unknown command 'paint'"},
        {{"generate"}, "a run needs a file to write: -o, --heightmap"},
        {{"generate", "--heightmap", "h.tif"}, "--heightmap FILE ends in .png, .r16, .raw, .exr"},
        {{"generate", "--normal", "n.bmp"}, "--normal FILE is a PNG file"},
        {{"generate", "--flow", "-", "-o", "-"}, "only one output can be standard output"},
        {{"generate", "--masks", "-"}, "--masks names files"},
        {{"generate", "--normal", "n.png", "--normal-y", "left"}, "--normal-y is up or down"},
        {{"generate", "--normal", "n.png", "--relief", "0"}, "--relief takes metres"},
        {{"generate", "--normal", "n.png", "--cell", "nan"}, "--cell takes metres"},
        {{"generate", "--normal", "n.png", "--cell", "1e-200"}, "--cell takes metres"},
        {{"generate", "--pack", "p"}, "--preset ENGINE and --pack DIR go together"},
        {{"generate", "--preset", "cryengine", "--pack", "p"}, "--preset is unreal, unity"},
        {{"generate", "--preset", "unreal", "--pack", "p", "--width", "1000", "--height", "1009"},
         "the map's width 1000 is not one of them (nearest: 993 or 1009)"},
        {{"generate", "--preset", "unity", "--pack", "p", "--width", "1025", "--height", "513"},
         "Unity's terrains are square"},
        {{"generate", "--preset", "unity", "--pack", "p", "--width", "4097", "--height", "4096"},
         "height 4096 is not one of them (nearest: 2049 or 4097)"},
        {{"generate", "--preset", "unreal", "--pack", "p", "--width", "1009", "--height", "1009",
          "--tiles", "7x7"},
         "each tile's width 145 is not one"},
        {{"generate", "--masks", "m", "--json", "m_water.png"}, "name the same file"},
        {{"erode", "in.tif", "-o", "x.png"}, "erode reads a 16-bit grayscale PNG"},
        {{"erode", "in.r16", "-o", "x.png"}, "an .r16 or .raw input needs --width and --height"},
        {{"erode", "in.png", "-o", "x.png", "--width", "5"},
         "are for an .r16 or .raw input's size"},
        {{"erode", "in.png", "-o", "x.png", "--sea", "3", "--sea-level", "9"}, "give one"},
        {{"erode", "in.png", "-o", "x.png", "--tick", "9"}, "erode takes no --tick"},
        {{"generate", "-o", "x.png", "--sea-level", "9"}, "--sea-level is erode's"},
        {{"generate", "--heightmap", "h.png", "--rivers"}, "--rivers draws on the map"},
        {{"reduce", "a", "b", "--heightmap", "h.png"}, "reduce takes no --heightmap"},
        {{"generate", "-o", "x.bmp", "--width", "0"}, "--width takes a whole number in 1..16385"},
        {{"generate", "-o", "x.bmp", "--height=16386"},
         "--height takes a whole number in 1..16385"},
        {{"generate", "-o", "x.bmp", "--roughness", "six"}, "--roughness takes a whole number"},
        {{"generate", "-o", "x.bmp", "--sea", "10"}, "--sea takes a whole number in 1..9"},
        {{"generate", "-o", "x.bmp", "--tick", "4294967296"}, "--tick takes a whole number"},
        {{"generate", "-o", "x.bmp", "--view", "relief"}, "--view is colour or coastline"},
        {{"generate", "-o", "x.bmp", "--erode", "0"}, "--erode takes a whole number in 1..100"},
        {{"generate", "-o", "x.bmp", "--erode=much"}, "--erode takes a whole number in 1..100"},
        {{"reduce", "a", "b", "--erode"}, "reduce takes no --erode"},
        {{"generate", "-o", "x.bmp", "--colors"}, "--colors"},
        {{"generate", "-o", "x.bmp", "--shade", "3"}, "shade"},
        {{"generate", "-o", ""}, "--output needs a file name"},
        {{"reduce", "in.bmp", ""}, "reduce needs INPUT and OUTPUT"},
        {{"reduce", "in.bmp"}, "reduce needs INPUT and OUTPUT"},
        {{"reduce", "a", "b", "--width", "5"}, "reduce takes no --width"}};
    for (const auto& [arguments, reason] : cases) {
        const BatchRun run = Batch(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << run.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("morvik-batch: ")) << run.err.toStdString();
        EXPECT_TRUE(lines[0].contains(reason)) << run.err.toStdString();
        EXPECT_EQ(lines[1], "Try 'morvik-batch --help'.");
    }
    EXPECT_FALSE(QFile::exists("x.bmp"));

    // A reduction keeps at least 8 colours: fewer is refused, not promised.
    for (const char* colours : {"4", "257"}) {
        const BatchRun run = Batch({"generate", "-o", Path("c.bmp"), "--colors", colours});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("8..256")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("c.bmp")));
    }

    const BatchRun help = Batch({"-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: morvik-batch"));
    const BatchRun version = Batch({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "morvik-batch " MORVIK_VERSION "\n");
}

TEST_F(BatchTool, EveryMapCanBeMadeAgainFromItsPrintedTick) {
    const BatchRun first = Batch({"generate", "-o", Path("first.bmp"), "--width=200"});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_TRUE(first.out.startsWith("tick: "));
    const QString tick = first.Text().section('\n', 0, 0).section(": ", 1);
    const BatchRun again =
        Batch({"generate", "-o", Path("again.bmp"), "--width", "200", "--tick=" + tick});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    ASSERT_TRUE(QFile::exists(Path("first.bmp")));
    EXPECT_EQ(ReadFile(Path("again.bmp")), ReadFile(Path("first.bmp")));
    // One-letter options joined, a value joined to its letter, a "+".
    const BatchRun joined =
        Batch({"generate", "-qo" + Path("joined.bmp"), "--width", "+200", "--tick", tick});
    ASSERT_EQ(joined.exitCode, 0) << joined.err.toStdString();
    EXPECT_EQ(ReadFile(Path("joined.bmp")), ReadFile(Path("first.bmp")));
}

TEST_F(BatchTool, TwoBitInputsAreReadAndUndecodableOnesRefused) {
    // 2 bits: four table colours, each pixel in its place.
    const std::vector<uint8_t> two =
        MakeBmp(4, 2, {{0b00011011}, {0b11100100}}, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    WriteFile(Path("two.bmp"), two);
    const BatchRun run = Batch({"reduce", Path("two.bmp"), Path("out.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("color_count: 4\n")) << run.out.toStdString();
    const QImage reduced = QImageReader(Path("out.bmp")).read();
    EXPECT_EQ(reduced.pixel(0, 1), qRgb(0, 0, 255)) << "the first stored row is the bottom one";
    EXPECT_EQ(reduced.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(reduced.pixel(3, 1), qRgb(255, 255, 255));

    const std::vector<uint8_t> three = MakeBmp(4, 3, {{0xFF, 0xFF}});
    WriteFile(Path("three.bmp"), three);
    const BatchRun refused = Batch({"reduce", Path("three.bmp"), Path("three-out.bmp")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("3-bit")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("three-out.bmp")));
}

// The value of a report's key; empty when the report has none.
QString Reported(const BatchRun& run, const QString& key) {
    for (const QString& line : run.Text().split('\n')) {
        if (line.startsWith(key + ": ")) return line.section(": ", 1);
    }
    return {};
}

TEST_F(BatchTool, HeightmapsAsPngAndRawHoldTheSameValuesAndTheSeaLevel) {
    const QStringList map{"--width", "90", "--height", "70", "--tick", "123456789", "--sea", "4"};
    const BatchRun png = Batch(QStringList{"generate", "--heightmap", Path("h.PNG")} + map);
    const BatchRun raw = Batch(QStringList{"generate", "--heightmap", Path("h.r16")} + map);
    ASSERT_EQ(png.exitCode, 0) << png.err.toStdString();
    ASSERT_EQ(raw.exitCode, 0) << raw.err.toStdString();
    EXPECT_EQ(Reported(png, "output"), "") << "no map without -o";
    const int seaLevel = Reported(png, "heightmap_sea_level").toInt();
    EXPECT_EQ(Reported(raw, "heightmap_sea_level").toInt(), seaLevel);

    const QImage image = QImageReader(Path("h.PNG")).read();
    ASSERT_EQ(image.format(), QImage::Format_Grayscale16);
    ASSERT_EQ(image.size(), QSize(90, 70));
    const QByteArray bytes = ReadFile(Path("h.r16"));
    ASSERT_EQ(bytes.size(), 90 * 70 * 2) << "no header";
    int seaCells = 0;
    uint16_t lowest = 65535, highest = 0;
    for (int y = 0; y < 70; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(image.constScanLine(y));
        for (int x = 0; x < 90; ++x) {
            const qsizetype at = 2 * (qsizetype{y} * 90 + x);
            const auto value = static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                                     static_cast<uint8_t>(bytes[at + 1]) << 8);
            ASSERT_EQ(value, row[x]) << "little-endian, row 0 first, at (" << x << ", " << y << ")";
            seaCells += value <= seaLevel ? 1 : 0;
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
    }
    EXPECT_EQ(seaCells, Reported(png, "sea_cells").toInt()) << "the map's sea is at or below it";
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 65535);
}

// The heightmap as written: every land cell away from the edge has a lower
// neighbour, and the map's sea is what lies at or below the sea level.
TEST_F(BatchTool, AnErodedHeightmapDrainsToTheSeaOfItsMap) {
    const int width = 140, height = 110;
    const QStringList map{"--width",     QString::number(width),
                          "--height",    QString::number(height),
                          "--tick",      "987654321",
                          "--roughness", "4",
                          "--sea",       "3"};
    const BatchRun eroded =
        Batch(QStringList{"generate", "--erode", "--heightmap", Path("e.r16")} + map);
    ASSERT_EQ(eroded.exitCode, 0) << eroded.err.toStdString();
    const QByteArray bytes = ReadFile(Path("e.r16"));
    ASSERT_EQ(bytes.size(), width * height * 2);
    const auto value = [&](int x, int y) {
        const qsizetype at = 2 * (qsizetype{y} * width + x);
        return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                     static_cast<uint8_t>(bytes[at + 1]) << 8);
    };
    const int seaLevel = Reported(eroded, "heightmap_sea_level").toInt();
    int seaCells = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (value(x, y) <= seaLevel) {
                ++seaCells;
                continue;
            }
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) continue;
            bool lower = false;
            for (int nx = x - 1; nx <= x + 1; ++nx) {
                for (int ny = y - 1; ny <= y + 1; ++ny) lower |= value(nx, ny) < value(x, y);
            }
            ASSERT_TRUE(lower) << "water stands at (" << x << ", " << y << ")";
        }
    }
    EXPECT_EQ(seaCells, Reported(eroded, "sea_cells").toInt());

    // The amount comes as the next argument only if it is a number, and the
    // default is a number of its own.
    const BatchRun plain = Batch(QStringList{"generate", "--heightmap", Path("p.r16")} + map);
    const BatchRun byDefault =
        Batch(QStringList{"generate", "--erode", QString::number(Limits().defaultErosion),
                          "--heightmap", Path("d.r16")} +
              map);
    const BatchRun two =
        Batch(QStringList{"generate", "--erode=2", "--heightmap", Path("2.r16")} + map);
    for (const BatchRun* run : {&plain, &byDefault, &two}) ASSERT_EQ(run->exitCode, 0);
    EXPECT_EQ(ReadFile(Path("d.r16")), bytes);
    EXPECT_NE(ReadFile(Path("2.r16")), bytes);
    EXPECT_NE(ReadFile(Path("p.r16")), bytes);
}

// A generate command line for a map of this size, and more.
QStringList Generating(int width, int height, const QStringList& more) {
    return QStringList{"generate", "--width", QString::number(width), "--height",
                       QString::number(height)} +
           more;
}

// The mean height step across the seam of two copies of a heightmap laid
// side by side (or one above the other), against the mean step between
// neighbouring columns (rows) inside it.
struct Seams {
    double acrossColumns;
    double acrossRows;
};
Seams SeamsOf(const QByteArray& r16, int width, int height) {
    const auto value = [&](int x, int y) {
        const qsizetype at = 2 * (qsizetype{y} * width + x);
        return static_cast<uint8_t>(r16[at]) | static_cast<uint8_t>(r16[at + 1]) << 8;
    };
    double inside[2] = {0, 0};
    double seam[2] = {0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int right = value((x + 1) % width, y) - value(x, y);
            const int below = value(x, (y + 1) % height) - value(x, y);
            (x + 1 < width ? inside : seam)[0] += std::abs(right);
            (y + 1 < height ? inside : seam)[1] += std::abs(below);
        }
    }
    return {seam[0] / height / (inside[0] / (height * (width - 1.0))),
            seam[1] / width / (inside[1] / (width * (height - 1.0)))};
}

TEST_F(BatchTool, AWrappedMapMeetsItselfAcrossTheEdge) {
    const int width = 257, height = 193;
    const QStringList map = Generating(width, height, {"--roughness", "2", "--tick", "99999"});
    const auto seams = [&](const QStringList& more) {
        const BatchRun run = Batch(map + more + QStringList{"--heightmap", Path("w.r16")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QByteArray bytes = ReadFile(Path("w.r16"));
        EXPECT_EQ(bytes.size(), width * height * 2);
        return SeamsOf(bytes, width, height);
    };
    const Seams plain = seams({});
    EXPECT_GT(plain.acrossColumns, 5);
    EXPECT_GT(plain.acrossRows, 5);
    const Seams cylinder = seams({"--wrap", "x"});
    EXPECT_NEAR(cylinder.acrossColumns, 1, 0.2);
    EXPECT_GT(cylinder.acrossRows, 5);
    const Seams torus = seams({"--wrap", "xy"});
    EXPECT_NEAR(torus.acrossColumns, 1, 0.2);
    EXPECT_NEAR(torus.acrossRows, 1, 0.2);
    // Eroded, the rivers cross the edge too: one column pair is no smoother
    // or rougher than the land's own spread of them allows.
    const Seams eroded = seams({"--wrap", "xy", "--erode", "3"});
    EXPECT_NEAR(eroded.acrossColumns, 1, 0.5);
    EXPECT_NEAR(eroded.acrossRows, 1, 0.5);

    const BatchRun wrong = Batch(map + QStringList{"--wrap", "y", "-o", Path("w.bmp")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.contains("--wrap is x or xy, not 'y'")) << wrong.err.toStdString();
}

// Tiles as engines take them: named by place, each sharing its last column
// and row with the next, and together exactly the map in one file.
TEST_F(BatchTool, TilesShareTheirEdgesAndTogetherAreTheMap) {
    const int width = 13, height = 10, across = 3, down = 3;  // tiles of 5 x 4
    const QStringList map = Generating(width, height, {"--tick", "4242", "--colors", "16"});
    const BatchRun whole =
        Batch(map + QStringList{"-o", Path("m.bmp"), "--heightmap", Path("h.r16")});
    ASSERT_EQ(whole.exitCode, 0) << whole.err.toStdString();
    const BatchRun tiled = Batch(
        map + QStringList{"-o", Path("m.bmp"), "--heightmap", Path("h.r16"), "--tiles", "3x3"});
    ASSERT_EQ(tiled.exitCode, 0) << tiled.err.toStdString();

    const QByteArray heights = ReadFile(Path("h.r16"));
    const QByteArray picture = ReadFile(Path("m.bmp"));
    const std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(picture.constData()),
                                         static_cast<std::size_t>(picture.size()));
    for (int j = 0; j < down; ++j) {
        for (int i = 0; i < across; ++i) {
            const QString place = QString("_x%1_y%2").arg(i).arg(j);
            EXPECT_TRUE(tiled.Text().contains("heightmap: " + Path("h") + place + ".r16\n"));
            EXPECT_TRUE(tiled.Text().contains("output: " + Path("m") + place + ".bmp\n"));
            const QByteArray tile = ReadFile(Path("h") + place + ".r16");
            ASSERT_EQ(tile.size(), 5 * 4 * 2);
            for (int y = 0; y < 4; ++y) {
                const qsizetype from = 2 * ((qsizetype{j} * 3 + y) * width + i * 4);
                EXPECT_EQ(tile.mid(2 * 5 * y, 2 * 5), heights.mid(from, 2 * 5))
                    << "row " << y << " of tile " << place.toStdString();
            }
            const std::vector<uint8_t> expected = CropBmpImage(image, {i * 4, j * 3, 5, 4});
            const QByteArray mapTile = ReadFile(Path("m") + place + ".bmp");
            EXPECT_EQ(mapTile, QByteArray(reinterpret_cast<const char*>(expected.data()),
                                          static_cast<qsizetype>(expected.size())));
        }
    }
    EXPECT_EQ(ReadFile(Path("h.r16")), heights) << "the whole map's files stay as they were";

    // One tile that cannot be written, and no tile is.
    ASSERT_TRUE(QDir(directory.path()).mkdir("n_x2_y1.png"));
    const BatchRun blocked =
        Batch(map + QStringList{"--heightmap", Path("n.png"), "--tiles", "3x3"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.err.contains("n_x2_y1.png")) << blocked.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("n_x0_y0.png")));

    const BatchRun uneven = Batch(map + QStringList{"-o", Path("u.bmp"), "--tiles", "5x3"});
    EXPECT_EQ(uneven.exitCode, 2);
    EXPECT_TRUE(uneven.err.contains("width 13 does not, 11 or 16 would"))
        << uneven.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("u_x0_y0.bmp")));
    for (const QStringList& wrong :
         {QStringList{"generate", "--width", "1", "--tiles", "3x1", "-o", Path("u.bmp")},
          QStringList{"generate", "--tiles", " 2x2", "-o", Path("u.bmp")},
          QStringList{"reduce", Path("m.bmp"), Path("u.bmp"), "--tiles", "2x2"}}) {
        const BatchRun run = Batch(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("tiles")) << run.err.toStdString();
    }

    // More tiles than the system lets a process hold open: said, none written.
    const BatchRun crowded =
        Batch(map + QStringList{"--heightmap", Path("c.r16"), "--tiles", "12x9"},
              {"prlimit", "--nofile=96:96", "--"});
    EXPECT_EQ(crowded.exitCode, 1);
    EXPECT_TRUE(crowded.err.contains("the tiles are 108 files")) << crowded.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("c_x0_y0.r16")));
}

TEST_F(BatchTool, APngMapHoldsThePaletteAndPixelsOfTheBmpMap) {
    const QStringList map{"--width", "120", "--height", "80", "--tick", "987654", "--colors", "16"};
    for (const char* name : {"m.bmp", "m.Png"}) {
        const BatchRun run = Batch(QStringList{"generate", "-o", Path(name)} + map);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    EXPECT_TRUE(ReadFile(Path("m.Png")).size() > 8 && ReadFile(Path("m.Png"))[1] == 'P');
    const QImage bmp = QImageReader(Path("m.bmp"), "bmp").read();
    const QImage png = QImageReader(Path("m.Png"), "png").read();
    ASSERT_EQ(png.format(), QImage::Format_Indexed8);
    EXPECT_EQ(png.colorTable(), bmp.colorTable());
    ASSERT_EQ(png.size(), bmp.size());
    for (int y = 0; y < bmp.height(); ++y) {
        for (int x = 0; x < bmp.width(); ++x) ASSERT_EQ(png.pixelIndex(x, y), bmp.pixelIndex(x, y));
    }
}

TEST_F(BatchTool, ReduceTakesPicturesUpTo16385Square) {
    for (const int width : {16385, 16386}) {
        QImage picture(width, 2, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        ASSERT_TRUE(picture.save(Path("wide.bmp"), "BMP"));
        const BatchRun run = Batch({"reduce", Path("wide.bmp"), Path("narrow.bmp")});
        if (width == 16385) {
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        } else {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(run.err.contains("16386 x 2 pixels")) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("up to 16385 x 16385")) << run.err.toStdString();
            EXPECT_FALSE(QFile::exists(Path("narrow.bmp")));
        }
        QFile::remove(Path("narrow.bmp"));
    }
}

// The command line stands on the core alone: no toolkit to load, none to
// need a display.
TEST(BatchLinking, LinksNoQt) {
    QProcess ldd;
    ldd.start("ldd", {MORVIK_BATCH_PATH});
    ASSERT_TRUE(ldd.waitForFinished(10000));
    const QString libraries = QString::fromUtf8(ldd.readAllStandardOutput());
    EXPECT_TRUE(libraries.contains("libspng")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6")) << libraries.toStdString();
}

TEST_F(BatchTool, UnreadableInputsAndFailedSavesWriteNothing) {
    QFile text(Path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a bitmap at all, but long enough to have a header's worth of bytes");
    text.close();
    const BatchRun wrong = Batch({"reduce", Path("notes.txt"), Path("out.bmp")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains("notes.txt")) << wrong.err.toStdString();
    EXPECT_FALSE(QFile::exists(Path("out.bmp")));

    const BatchRun missing = Batch({"reduce", Path("absent.bmp"), Path("out.bmp")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(QFile::exists(Path("out.bmp")));

    const QString unwritable = Path("no folder/map.bmp");
    const BatchRun save = Batch({"generate", "-o", unwritable, "--tick", "5000"});
    EXPECT_EQ(save.exitCode, 1);
    EXPECT_TRUE(save.out.isEmpty()) << "no half report";
    EXPECT_EQ(save.err.toStdString(),
              ("morvik-batch: cannot write " + unwritable + ": No such file or directory\n")
                  .toStdString());
}

// An input is read no further than its header accounts for: what is no BMP
// is refused at its header, and a BMP followed by a gigabyte, or by no end,
// is refused once past its pixels, in little memory.
TEST_F(BatchTool, HugeAndEndlessInputsAreRefusedInBoundedMemory) {
    const std::vector<uint8_t> small =
        MakeBmp(100, 8, std::vector<std::vector<uint8_t>>(100, std::vector<uint8_t>(100, 1)),
                {0x000000, 0xFFFFFF});
    WriteFile(Path("small.bmp"), small);
    const QString folder = directory.path();
    ASSERT_EQ(Shell("cp small.bmp huge.bmp && truncate -s 1G huge.bmp && "
                    "head -c 1000000 /dev/urandom > noise.bin && truncate -s 1G noise.bin",
                    folder)
                  .exitCode,
              0);
    const std::vector<std::pair<QString, QString>> cases{
        {"\"$TOOL\" reduce /dev/zero out.bmp", "/dev/zero is not an uncompressed BMP file"},
        {"\"$TOOL\" reduce noise.bin out.bmp", "noise.bin is not an uncompressed BMP file"},
        {"\"$TOOL\" reduce huge.bmp out.bmp",
         "huge.bmp is longer than a BMP file of 100 x 100 pixels can be"},
        {"cat small.bmp /dev/zero | \"$TOOL\" reduce /dev/stdin out.bmp",
         "/dev/stdin is longer than a BMP file of 100 x 100 pixels can be"}};
    for (const auto& [command, reason] : cases) {
        rusage before{};
        getrusage(RUSAGE_CHILDREN, &before);
        const BatchRun run = Shell(command, folder);
        EXPECT_EQ(run.exitCode, 1) << command.toStdString();
        EXPECT_TRUE(run.err.startsWith("morvik-batch: " + reason)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << "one line";
        EXPECT_FALSE(QFile::exists(Path("out.bmp")));
        rusage after{};
        getrusage(RUSAGE_CHILDREN, &after);
        // The largest child so far, in KiB: the tool, well under the input.
        EXPECT_LT(after.ru_maxrss, 200 * 1024) << command.toStdString();
    }
    const BatchRun fine = Shell("cat small.bmp | \"$TOOL\" reduce /dev/stdin out.bmp", folder);
    EXPECT_EQ(fine.exitCode, 0) << fine.err.toStdString();
}

// A cgroup's quota, "QUOTA PERIOD" in microseconds, bounds the threads to
// its share of a CPU rounded up; "max" is no bound.
TEST(ThreadCount, FollowsTheCgroupQuota) {
    EXPECT_EQ(QuotaThreads("100000 100000\n"), 1);
    EXPECT_EQ(QuotaThreads("50000 100000"), 1);
    EXPECT_EQ(QuotaThreads("150000 100000"), 2);
    EXPECT_EQ(QuotaThreads("800000 100000\n"), 8);
    EXPECT_EQ(QuotaThreads("max 100000\n"), std::nullopt);
    EXPECT_EQ(QuotaThreads(""), std::nullopt);
    EXPECT_EQ(QuotaThreads("0 100000"), std::nullopt);
}

}  // namespace
}  // namespace morvik
