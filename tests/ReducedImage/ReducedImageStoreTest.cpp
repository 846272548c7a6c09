#include "components/ReducedImage/ReducedImageStore.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <utility>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "platform/ToolkitErrors.h"
#include "tests/ReducedImage/BmpBuilder.h"
#include "tests/support/Files.h"

namespace morvik {
namespace {

QByteArray Bytes(std::span<const uint8_t> image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()),
                      static_cast<qsizetype>(image.size()));
}

bool Load(ReducedImageStore& store, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    stream.seek(copy.size() / 2);  // loading starts at the first byte whatever the position
    return store.LoadFromStream(stream);
}

QImage MapLikePicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGBX8888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, qRgb(60 + (x * 7) % 60, 96 + y % 100, 240 - (x + y) % 50));
        }
    }
    return picture;
}

// A device whose reads fail before its end, as a failing disk's or pipe's.
class FailingDevice : public QIODevice {
  public:
    FailingDevice(QByteArray bytes, qint64 readable, bool sequential)
        : bytes_(std::move(bytes)), readable_(readable), sequential_(sequential) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return bytes_.size(); }
    bool isSequential() const override { return sequential_; }

  protected:
    qint64 readData(char* data, qint64 most) override {
        if (read_ >= readable_) return -1;
        const qint64 count = std::min(most, readable_ - read_);
        std::copy_n(bytes_.constData() + read_, count, data);
        read_ += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray bytes_;
    qint64 readable_;
    bool sequential_;
    qint64 read_ = 0;
};

class Store : public testing::Test {
  protected:
    QString Path(const char* name) const { return directory.filePath(name); }

    QTemporaryDir directory;
    ReducedImageStore store;
};

TEST_F(Store, EmptyStoreSavesAnEmptyFile) {
    EXPECT_FALSE(store.HoldsImage());
    EXPECT_EQ(store.ColorCount(), -1);
    store.ReduceColors(256);
    QFile existing(Path("map.bmp"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old contents");
    existing.close();
    store.SaveToFile(Path("map.bmp"));
    EXPECT_EQ(ReadFile(Path("map.bmp")), QByteArray());
}

TEST_F(Store, SavedMapIsAnEightBitFileOtherDecodersRead) {
    const QImage picture = MapLikePicture(37, 23);
    ASSERT_TRUE(store.LoadFromBitmap(picture));
    EXPECT_EQ(store.ColorCount(), -1);
    store.ReduceColors(256);
    store.SaveToFile(Path("map.bmp"));

    const QByteArray file = ReadFile(Path("map.bmp"));
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.constData()),
                                         static_cast<std::size_t>(file.size()));
    ASSERT_TRUE(IsValidBmpImage(bytes));
    const BmpHeader header = ReadBmpHeader(bytes);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biClrUsed, store.ColorCount());
    EXPECT_GE(store.ColorCount(), 1);
    EXPECT_LE(store.ColorCount(), 256);
    EXPECT_EQ(header.bfSize, file.size());
    EXPECT_EQ(store.Levels(), 32);

    QImageReader reader(Path("map.bmp"));
    const QImage read = reader.read();
    ASSERT_FALSE(read.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(read.format(), QImage::Format_Indexed8);
    EXPECT_EQ(read.size(), picture.size());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb source = picture.pixel(x, y);
            const uint32_t cell = QuantiseColour(
                static_cast<uint32_t>(qBlue(source) | qGreen(source) << 8 | qRed(source) << 16), 32,
                kNoDither);
            const uint32_t expected = LatticeColour(cell, 32);
            const QRgb saved = read.pixel(x, y);
            ASSERT_EQ(static_cast<uint32_t>(qBlue(saved) | qGreen(saved) << 8 | qRed(saved) << 16),
                      expected)
                << x << ", " << y;
        }
    }
}

TEST_F(Store, WhatCannotBeLoadedChangesNothing) {
    ASSERT_TRUE(store.LoadFromBitmap(MapLikePicture(5, 4)));
    store.ReduceColors(256);
    const QByteArray held = Bytes(store.Bytes());
    const int32_t colours = store.ColorCount();

    EXPECT_FALSE(store.LoadFromBitmap(QImage()));
    EXPECT_FALSE(Load(store, QByteArray(40, 'B')));
    std::vector<uint8_t> topDown = MakeBmp(2, 24, {{1, 2, 3, 4, 5, 6}});
    WriteBmpHeader(
        [&] {
            BmpHeader h = ReadBmpHeader(topDown);
            h.biHeight = -1;
            return h;
        }(),
        topDown);
    EXPECT_FALSE(Load(store, Bytes(topDown)));
    EXPECT_FALSE(store.LoadFromStream(store.ImageStream()));

    EXPECT_EQ(Bytes(store.Bytes()), held);
    EXPECT_EQ(store.ColorCount(), colours);
}

TEST_F(Store, LoadingMendsTheHeaderAndResetsTheCount) {
    std::vector<uint8_t> shortTable = MakeBmp(4, 8, {{0, 1, 1, 0}}, {0, 0xFFFFFF});
    BmpHeader header = ReadBmpHeader(shortTable);
    header.bfOffBits = 1078;
    header.bfSize = 1082;
    WriteBmpHeader(header, shortTable);
    ASSERT_TRUE(Load(store, Bytes(shortTable)));
    EXPECT_EQ(ReadBmpHeader(store.Bytes()).bfOffBits, 62);
    store.ReduceColors(256);
    EXPECT_EQ(store.ColorCount(), 2);
    ASSERT_TRUE(Load(store, Bytes(shortTable)));
    EXPECT_EQ(store.ColorCount(), -1) << "a fresh load has no count yet";
}

TEST_F(Store, StreamsAreWrittenWhereTheyStandAndReadFailuresReported) {
    ASSERT_TRUE(store.LoadFromBitmap(MapLikePicture(3, 3)));
    QByteArray target("prefix");
    QBuffer stream(&target);
    stream.open(QIODevice::WriteOnly | QIODevice::Append);
    store.SaveToStream(stream);
    EXPECT_EQ(target, "prefix" + Bytes(store.Bytes()));

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_THROW(store.SaveToStream(readOnly), EWriteError);

    QBuffer closed;
    EXPECT_THROW(store.LoadFromStream(closed), EReadError);

    // A read that fails short of the end is no picture with shifted rows.
    const QByteArray before = Bytes(store.Bytes());
    const QByteArray next = Bytes(MakeBmp24(2, 3, [](int32_t x, int32_t y) { return x + y; }));
    for (const bool sequential : {false, true}) {
        FailingDevice failing(next, next.size() - 8, sequential);
        EXPECT_THROW(store.LoadFromStream(failing), EReadError) << sequential;
        EXPECT_EQ(Bytes(store.Bytes()), before);
    }
}

TEST_F(Store, FailedSavesNameTheFileAndLeaveItAlone) {
    ASSERT_TRUE(store.LoadFromBitmap(MapLikePicture(3, 3)));
    const QString missing = Path("no such folder/map.bmp");
    try {
        store.SaveToFile(missing);
        FAIL() << "saved into a missing folder";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), "ﾌｧｲﾙ " + missing + " を作成できません");
    }
    EXPECT_THROW(store.SaveToFile(directory.path()), EFCreateError);
    EXPECT_TRUE(QFileInfo(directory.path()).isDir());
}

// Root writes into any folder, so as root the body runs in a child process
// that has become an unprivileged user (nobody), in a folder that user owns;
// the child's failures are the test's.
void AsUnprivilegedUser(const QString& folder, const std::function<void()>& body) {
    if (geteuid() != 0) {
        body();
        return;
    }
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(chown(folder.toLocal8Bit().constData(), kNobody, kNobody), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        body();
        _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "as an unprivileged user it failed (wait status " << status << ")";
}

TEST_F(Store, AWritableFileInAFolderThatIsNotIsWrittenInPlace) {
    ASSERT_TRUE(store.LoadFromBitmap(MapLikePicture(3, 3)));
    AsUnprivilegedUser(directory.path(), [&] {
        QFile existing(Path("kept.bmp"));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("old");
        existing.close();
        ASSERT_TRUE(QFile::setPermissions(directory.path(), QFile::ReadOwner | QFile::ExeOwner));
        store.SaveToFile(Path("kept.bmp"));
        EXPECT_THROW(store.SaveToFile(Path("new.bmp")), EFCreateError);
        QFile::setPermissions(directory.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(ReadFile(Path("kept.bmp")), Bytes(store.Bytes()));
    });
}

}  // namespace
}  // namespace morvik
