#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>


namespace morvik {
namespace {

struct BatchRun {
    int exitCode;
    QString out;
    QString err;
};

BatchRun Batch(const QStringList& arguments) {
    QProcess process;
    process.start(MORVIK_BATCH_PATH, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return BatchRun{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                    QString::fromUtf8(process.readAllStandardError())};
}

QByteArray ReadFile(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    EXPECT_FALSE(ReadFile(Path("a.bmp")).isEmpty());

    const QStringList lines = first.out.split('\n', Qt::SkipEmptyParts);
    QStringList keys;
    for (const QString& line : lines) keys << line.section(": ", 0, 0);
    EXPECT_EQ(keys, (QStringList{"total_iterations", "sea_target", "lowering_passes", "sea_cells",
                                 "highest", "lowest", "source_colors", "color_count", "levels",
                                 "output"}));
    EXPECT_EQ(lines[0], "total_iterations: 1000");  // 30000 / 50 + 400
    EXPECT_EQ(lines[1], "sea_target: 500");
    const int passes = lines[2].section(": ", 1).toInt();
    EXPECT_EQ(lines[4], QString("highest: %1").arg(100 - passes));
    EXPECT_EQ(lines[5], QString("lowest: %1").arg(-passes));
    EXPECT_GE(lines[3].section(": ", 1).toInt(), 15000);
    EXPECT_EQ(lines[9], "output: " + Path("a.bmp"));

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

TEST_F(BatchTool, BadArgumentsGiveTheUsageAndExitCode2) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"paint"}, QStringList{"generate"},
          QStringList{"generate", "-o", "x.bmp", "--width", "0"},
          QStringList{"generate", "-o", "x.bmp", "--height", "1025"},
          QStringList{"generate", "-o", "x.bmp", "--roughness", "six"},
          QStringList{"generate", "-o", "x.bmp", "--sea", "10"},
          QStringList{"generate", "-o", "x.bmp", "--tick", "4294967296"},
          QStringList{"generate", "-o", "x.bmp", "--view", "relief"},
          QStringList{"generate", "-o", "x.bmp", "--colors"}, QStringList{"reduce", "in.bmp"},
          QStringList{"reduce", "a", "b", "--width", "5"}}) {
        const BatchRun run = Batch(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: morvik-batch")) << run.err.toStdString();
        EXPECT_GT(run.err.count(QChar(10)), 1);
    }
    EXPECT_FALSE(QFile::exists("x.bmp"));
    const BatchRun help = Batch({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: morvik-batch"));
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
    const BatchRun save = Batch({"generate", "-o", unwritable, "--tick", "5"});
    EXPECT_EQ(save.exitCode, 1);
    EXPECT_TRUE(save.err.contains("ﾌｧｲﾙ " + unwritable + " を作成できません"))
        << save.err.toStdString();
}

}  // namespace
}  // namespace morvik
