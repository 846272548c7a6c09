#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>
#include <numeric>
#include <optional>
#include <vector>

#include "tests/support/Files.h"
#include "tests/tools/BatchRun.h"
#include "tools/HeightmapInput.h"

namespace morvik {
namespace {

class EngineFiles : public testing::Test {
  protected:
    QString Path(const QString& name) const { return directory.filePath(name); }
    BatchRun Run(const QStringList& arguments) const {
        const BatchRun run = Batch(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run;
    }
    // A 16-bit grayscale PNG's values, row by row from the top.
    std::vector<uint16_t> Values16(const QString& name) const {
        const QImage image = QImageReader(Path(name)).read();
        EXPECT_EQ(image.format(), QImage::Format_Grayscale16) << name.toStdString();
        std::vector<uint16_t> values;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(image.constScanLine(y));
            values.insert(values.end(), row, row + image.width());
        }
        return values;
    }
    std::vector<uint8_t> Bytes(const QString& name) const {
        const QByteArray bytes = ReadFile(Path(name));
        return {bytes.begin(), bytes.end()};
    }
    QTemporaryDir directory;
};

const QStringList kMap{"--width", "257", "--height", "193", "--tick", "90000", "--erode", "4"};

// The float heights keep the 16-bit heightmap's order, finer: no two cells
// swap, and cells the heightmap ties may part; .exr and .r32 agree; and
// they span the relief.
TEST_F(EngineFiles, FloatHeightsOrderCellsAsTheHeightmapAndSpanTheRelief) {
    Run(QStringList{"generate", "--heightmap", Path("h.png"), "--relief", "1000"} + kMap);
    Run(QStringList{"generate", "--heightmap", Path("h.exr"), "--relief", "1000"} + kMap);
    Run(QStringList{"generate", "--heightmap", Path("h.r32"), "--relief", "1000"} + kMap);
    const std::vector<uint16_t> whole = Values16("h.png");
    const HeightmapInput exr = ReadExrHeightmap(Path("h.exr").toStdString());
    ASSERT_EQ(exr.values.size(), whole.size());
    const std::vector<uint8_t> raw = Bytes("h.r32");
    ASSERT_EQ(raw.size(), whole.size() * 4);
    std::vector<float> r32(whole.size());
    std::memcpy(r32.data(), raw.data(), raw.size());  // little-endian, as this machine
    EXPECT_EQ(r32, exr.values);

    std::vector<std::size_t> cells(whole.size());
    std::iota(cells.begin(), cells.end(), 0);
    std::sort(cells.begin(), cells.end(),
              [&](std::size_t a, std::size_t b) { return exr.values[a] < exr.values[b]; });
    for (std::size_t i = 1; i < cells.size(); ++i) {
        ASSERT_LE(whole[cells[i - 1]], whole[cells[i]]);
    }
    int64_t parted = 0;
    for (std::size_t i = 1; i < cells.size(); ++i) {
        parted += whole[cells[i - 1]] == whole[cells[i]] &&
                  exr.values[cells[i - 1]] < exr.values[cells[i]];
    }
    EXPECT_GT(parted, 0) << "no finer than 16 bits";
    const auto [low, high] = std::minmax_element(exr.values.begin(), exr.values.end());
    EXPECT_FLOAT_EQ(*low, 0);
    EXPECT_NEAR(*high, 1000, 0.02);
}

// Each preset's files are named and laid out as its engine reads them:
// Unreal's heights as the 16-bit PNG, its weights one mask each and its
// normals green-down; Unity's heights from the bottom row up, its weights
// four to a pixel and its normals green-up; Godot's heights in metres.
TEST_F(EngineFiles, EachPresetNamesAndFlipsItsFiles) {
    const auto map = [](int side) {
        return QStringList{"--width",  QString::number(side),
                           "--height", QString::number(side),
                           "--tick",   "8000",
                           "--erode",  "--relief",
                           "300"};
    };
    Run(QStringList{"generate", "--heightmap", Path("u.png"), "--normal", Path("u_n.png"),
                    "--normal-y", "down", "--masks", Path("u")} +
        map(253));
    Run(QStringList{"generate", "--heightmap", Path("h.png"), "--normal", Path("n.png"), "--masks",
                    Path("m"), "--flow", Path("f.png")} +
        map(129));
    Run(QStringList{"generate", "--heightmap", Path("h.exr")} + map(129));
    Run(QStringList{"generate", "--preset", "unreal", "--pack", Path("unreal")} + map(253));
    for (const char* engine : {"unity", "godot"}) {
        Run(QStringList{"generate", "--preset", engine, "--pack", Path(engine)} + map(129));
    }
    const auto names = [&](const char* engine) {
        return QDir(Path(engine)).entryList(QDir::Files, QDir::Name);
    };
    EXPECT_EQ(names("unreal"), (QStringList{"Grass.png", "Heightmap.png", "Normal.png",
                                            "README.txt", "Rock.png", "Sand.png", "Snow.png"}));
    EXPECT_EQ(names("unity"),
              (QStringList{"Heightmap.raw", "Normal.png", "README.txt", "Splatmap.png"}));
    EXPECT_EQ(names("godot"),
              (QStringList{"Heightmap.exr", "Normal.png", "README.txt", "Splatmap.png"}));

    EXPECT_EQ(ReadFile(Path("unreal/Heightmap.png")), ReadFile(Path("u.png")));
    EXPECT_EQ(ReadFile(Path("unreal/Normal.png")), ReadFile(Path("u_n.png")));
    for (const char* kind : {"Sand", "Grass", "Rock", "Snow"}) {
        EXPECT_EQ(ReadFile(Path(QString("unreal/%1.png").arg(kind))),
                  ReadFile(Path(QString("u_%1.png").arg(QString(kind).toLower()))));
    }
    EXPECT_EQ(ReadFile(Path("godot/Heightmap.exr")), ReadFile(Path("h.exr")));
    EXPECT_EQ(ReadFile(Path("unity/Normal.png")), ReadFile(Path("n.png")));
    EXPECT_EQ(ReadFile(Path("godot/Normal.png")), ReadFile(Path("n.png")));

    const std::vector<uint16_t> heights = Values16("h.png");
    const std::vector<uint8_t> raw = Bytes("unity/Heightmap.raw");
    ASSERT_EQ(raw.size(), heights.size() * 2);
    for (int y = 0; y < 129; ++y) {
        for (int x = 0; x < 129; ++x) {
            const std::size_t at = static_cast<std::size_t>(128 - y) * 129 + x;
            ASSERT_EQ(raw[2 * at] | raw[2 * at + 1] << 8, heights[y * 129 + x]) << x << ", " << y;
        }
    }

    // Green-up and green-down differ in green alone.
    Run(QStringList{"generate", "--normal", Path("down.png"), "--normal-y", "down"} + map(129));
    const QImage up = QImageReader(Path("n.png")).read();
    const QImage down = QImageReader(Path("down.png")).read();
    const QImage splat = QImageReader(Path("unity/Splatmap.png")).read();
    ASSERT_EQ(ReadFile(Path("godot/Splatmap.png")), ReadFile(Path("unity/Splatmap.png")));
    std::vector<QImage> weights;
    for (const char* kind : {"sand", "grass", "rock", "snow"}) {
        weights.push_back(QImageReader(Path(QString("m_%1.png").arg(kind))).read());
    }
    for (int y = 0; y < 129; ++y) {
        for (int x = 0; x < 129; ++x) {
            ASSERT_EQ(qRed(up.pixel(x, y)), qRed(down.pixel(x, y)));
            ASSERT_EQ(qBlue(up.pixel(x, y)), qBlue(down.pixel(x, y)));
            ASSERT_NEAR(qGreen(up.pixel(x, y)) + qGreen(down.pixel(x, y)), 255, 1);
            const QRgb four = splat.pixel(x, y);
            const int channels[] = {qRed(four), qGreen(four), qBlue(four), qAlpha(four)};
            for (std::size_t kind = 0; kind < 4; ++kind) {
                ASSERT_EQ(channels[kind], qGray(weights[kind].pixel(x, y)));
            }
        }
    }
    EXPECT_TRUE(
        QString::fromUtf8(ReadFile(Path("unity/README.txt"))).contains("Resolution       129"));
}

// With tiles, a pack is tiled as its engine imports tiles, and the report,
// text and JSON alike, names every file; the JSON holds every key of the
// text with the same value.
TEST_F(EngineFiles, TiledPacksAndTheJsonReportNameEveryFile) {
    const BatchRun run = Run({"generate", "--preset",    "unreal",  "--pack",        Path("ue"),
                              "--tiles",  "2x2",         "--width", "253",           "--height",
                              "253",      "--tick",      "9000",    "--json",        Path("r.json"),
                              "--flow",   Path("f.png"), "-o",      Path("map.png"), "--rivers"});
    QStringList tiles = QDir(Path("ue")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(tiles.size(), 6 * 4 + 1);
    EXPECT_TRUE(tiles.contains("Heightmap_x1_y0.png"));
    EXPECT_EQ(QImageReader(Path("ue/Rock_x1_y1.png")).size(), QSize(127, 127));

    const nlohmann::json json = nlohmann::json::parse(ReadFile(Path("r.json")).toStdString());
    for (const QString& line : run.Text().split('\n', Qt::SkipEmptyParts)) {
        const std::string key = line.section(": ", 0, 0).toStdString();
        const QString value = line.section(": ", 1);
        ASSERT_TRUE(json.contains(key)) << key;
        const nlohmann::json& given = json[key];
        const auto holds = [&](const nlohmann::json& item) {
            return item.is_number() ? QString::number(item.get<long long>()) == value
                                    : QString::fromStdString(item.get<std::string>()) == value;
        };
        EXPECT_TRUE(given.is_array() ? std::any_of(given.begin(), given.end(), holds)
                                     : holds(given))
            << line.toStdString();
    }
    EXPECT_EQ(json["relief"], 512);
    EXPECT_EQ(json["cell"], 1);
    EXPECT_NEAR(json["sea_level_metres"].get<double>(),
                json["heightmap_sea_level"].get<double>() * 512 / 65535, 1e-9);
    std::vector<std::string> files = json["files"];
    EXPECT_EQ(files.size(), 4 + 6 * 4 + 1 + 4u);  // flow, pack, README, map
    for (const std::string& file : files) {
        EXPECT_TRUE(QFile::exists(QString::fromStdString(file))) << file;
    }
}

// Your own heightmap, eroded: every land cell drains, the sea is the asked
// share or the asked level's, and input that is no 16-bit heightmap is
// refused in one line with nothing written.
TEST_F(EngineFiles, ErodeWearsAHeightmapOfOnesOwnToItsSea) {
    Run({"generate", "--heightmap", Path("in.png"), "--width", "300", "--height", "200", "--tick",
         "50000"});
    const std::vector<uint16_t> given = Values16("in.png");
    const uint16_t level = 30000;
    const double below = static_cast<double>(std::count_if(
                             given.begin(), given.end(), [&](uint16_t v) { return v <= level; })) /
                         given.size();
    for (const QStringList& sea :
         {QStringList{"--sea", "3"}, QStringList{"--sea-level", QString::number(level)}}) {
        const BatchRun run = Run(QStringList{"erode", Path("in.png"), "--heightmap",
                                             Path("out.png"), "--json", Path("e.json")} +
                                 sea);
        const std::vector<uint16_t> worn = Values16("out.png");
        const auto json = nlohmann::json::parse(ReadFile(Path("e.json")).toStdString());
        const auto seaLevel = json["heightmap_sea_level"].get<uint16_t>();
        const double share =
            static_cast<double>(std::count_if(worn.begin(), worn.end(),
                                              [&](uint16_t v) { return v <= seaLevel; })) /
            worn.size();
        EXPECT_NEAR(share, sea[0] == "--sea" ? 0.3 : below, 0.002) << sea.join(' ').toStdString();
        EXPECT_NE(worn, given);
        for (int y = 1; y < 199; ++y) {
            for (int x = 1; x < 299; ++x) {
                const uint16_t here = worn[y * 300 + x];
                if (here <= seaLevel) continue;
                bool lower = false;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) lower |= worn[(y + dy) * 300 + x + dx] < here;
                }
                ASSERT_TRUE(lower) << "no way down from " << x << ", " << y;
            }
        }
    }

    QImage eight(40, 30, QImage::Format_Grayscale8);
    eight.fill(100);
    ASSERT_TRUE(eight.save(Path("eight.png")));
    QFile garbage(Path("garbage.exr"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    for (const QString& input : {Path("eight.png"), Path("garbage.exr")}) {
        const BatchRun run = Batch({"erode", input, "-o", Path("no.png")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith("morvik-batch: ")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("no.png")));
    }
}

// Rivers show on the map in the sea's colour, on the coastline view too,
// and only on land that was land.
TEST_F(EngineFiles, RiversShowOnTheColourAndTheCoastlineView) {
    const QStringList map{"--width", "300", "--height", "200", "--tick", "70000", "--erode"};
    for (const char* view : {"colour", "coastline"}) {
        Run(QStringList{"generate", "-o", Path("dry.png"), "--view", view} + map);
        Run(QStringList{"generate", "-o", Path("wet.png"), "--view", view, "--rivers"} + map);
        const QImage dry =
            QImageReader(Path("dry.png")).read().convertToFormat(QImage::Format_RGB32);
        const QImage wet =
            QImageReader(Path("wet.png")).read().convertToFormat(QImage::Format_RGB32);
        // The sea surface's blue, as the reduction keeps it.
        std::optional<QRgb> water;
        int changed = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 300; ++x) {
                if (dry.pixel(x, y) == wet.pixel(x, y)) continue;
                if (!water) water = wet.pixel(x, y);
                ASSERT_EQ(wet.pixel(x, y), *water) << view << " at " << x << ", " << y;
                ++changed;
            }
        }
        EXPECT_GT(changed, 100) << view;
        ASSERT_TRUE(water.has_value());
        EXPECT_GT(qBlue(*water), qRed(*water) + 100) << view;
        EXPECT_GT(qBlue(*water), qGreen(*water) + 100) << view;
    }
}

// A run cut short takes away the pack folder it made, with every file in it.
TEST_F(EngineFiles, AnInterruptedPackLeavesNoFolder) {
    const BatchRun run = Shell(
        "set -m; \"$TOOL\" generate --preset godot --pack p --tiles 4x4 --width 4001 "
        "--height 4001 >/dev/null & pid=$!\n"
        "while kill -0 $pid 2>/dev/null && [ $(ls -A p 2>/dev/null | grep -c '^\\.') -lt 49 ]; "
        "do sleep 0.02; done\n"
        "kill -INT $pid; wait $pid; echo $?; ls -A",
        directory.path());
    EXPECT_EQ(run.out, "130\n") << run.err.toStdString();
}

}  // namespace
}  // namespace morvik
