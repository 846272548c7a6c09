#include "app/NameOnlyIconProvider.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <chrono>
#include <future>

namespace morvik {
namespace {

using namespace std::chrono_literals;

// The start of a PNG file, which content sniffing calls a PNG image.
const QByteArray kPngBytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Notes every opening of a file in a folder, by anyone.
class OpenWatch {
  public:
    explicit OpenWatch(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN);
    }
    ~OpenWatch() { close(fd_); }
    bool SawOpen() const {
        char events[4096];
        return read(fd_, events, sizeof events) > 0;
    }

  private:
    int fd_;
};

TEST(NameOnlyIconProvider, TypesAFileByItsNameWithoutOpeningIt) {
    QTemporaryDir folder;
    const QString bitmap = folder.filePath("x.bmp");
    const QString nameless = folder.filePath("picture");
    WriteFile(bitmap, kPngBytes);
    WriteFile(nameless, kPngBytes);
    const QMimeDatabase mimes;
    ASSERT_EQ(mimes.mimeTypeForFile(nameless, QMimeDatabase::MatchContent).name(), "image/png");

    const OpenWatch watch(folder.path());
    const NameOnlyIconProvider icons;
    EXPECT_EQ(icons.type(QFileInfo(bitmap)).toStdString(),
              mimes.mimeTypeForName("image/bmp").comment().toStdString());
    EXPECT_NE(icons.type(QFileInfo(nameless)).toStdString(),
              mimes.mimeTypeForName("image/png").comment().toStdString());
    EXPECT_FALSE(icons.icon(QFileInfo(bitmap)).isNull());
    EXPECT_FALSE(icons.icon(QFileInfo(nameless)).isNull());
    EXPECT_FALSE(watch.SawOpen());
}

TEST(NameOnlyIconProvider, AsksAFifoNothing) {
    QTemporaryDir folder;
    const QByteArray fifo = QFile::encodeName(folder.filePath("pipe"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const OpenWatch watch(folder.path());
    const NameOnlyIconProvider icons;

    // A reader of a FIFO waits for a writer: asked on a thread of its own,
    // the provider gets one if it does not answer in time, and the test ends.
    auto asked = std::async(std::launch::async, [&] {
        const QFileInfo info(QFile::decodeName(fifo));
        return std::pair(icons.icon(info).isNull(), icons.type(info));
    });
    if (asked.wait_for(10s) != std::future_status::ready) {
        for (int i = 0; i < 100 && asked.wait_for(100ms) != std::future_status::ready; ++i) {
            const int writer = open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) close(writer);
        }
        FAIL() << "the provider waited on the FIFO";
    }
    const auto [noIcon, type] = asked.get();
    EXPECT_FALSE(noIcon);
    EXPECT_FALSE(type.isEmpty());
    EXPECT_FALSE(watch.SawOpen());
}

}  // namespace
}  // namespace morvik
