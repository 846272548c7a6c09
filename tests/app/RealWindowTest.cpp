// The real program on a real X server (xvfb-run gives this process its
// display), driven by real X input through xdotool.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "components/ReducedImage/BmpImage.h"
#include "tests/support/RealX.h"

namespace morvik {
namespace {

std::optional<QString> FindWindow(const QString& caption) {
    const QString found = Xdo({"search", "--onlyvisible", "--name", "^" + caption + "$"});
    if (found.isEmpty()) return std::nullopt;
    return found.section('\n', 0, 0);
}

// The window's geometry without decorations (there is no window manager).
QRect Geometry(const QString& window) {
    QRect rect;
    for (const QString& line : Xdo({"getwindowgeometry", "--shell", window}).split('\n')) {
        const int value = line.section('=', 1).toInt();
        if (line.startsWith("X=")) rect.moveLeft(value);
        if (line.startsWith("Y=")) rect.moveTop(value);
        if (line.startsWith("WIDTH=")) rect.setWidth(value);
        if (line.startsWith("HEIGHT=")) rect.setHeight(value);
    }
    return rect;
}

void ClickAt(QPoint at) {
    Xdo({"mousemove", QString::number(at.x()), QString::number(at.y())});
    Xdo({"click", "1"});
    QTest::qWait(150);
}

void Keys(const QStringList& keys) {
    Xdo(QStringList{"key", "--delay", "30"} + keys);
    QTest::qWait(150);
}

void Type(const QString& text) {
    Xdo({"type", "--delay", "30", text});
    QTest::qWait(150);
}

class RealWindows : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
        QElapsedTimer starting;
        starting.start();
        morvik.start(MORVIK_PATH, {});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return FindWindow("Morvik") && FindWindow("マップビュー"); }, 10000));
        RecordProperty("startup_ms", static_cast<int>(starting.elapsed()));
        std::printf("start-up to both windows shown: %lld ms\n", starting.elapsed());
        control = *FindWindow("Morvik");
        mapView = *FindWindow("マップビュー");
        QTest::qWait(300);
    }
    void TearDown() override {
        morvik.kill();
        morvik.waitForFinished();
    }

    // A point of the control window's client area, below its menu bar.
    QPoint Control(int x, int y) const {
        const QRect window = Geometry(control);
        return window.topLeft() + QPoint(x, window.height() - 184 + y);
    }
    // Replaces the text of a numeral edit at a client point and decides it.
    void Enter(QPoint edit, int value) {
        ClickAt(edit);
        Keys({"End", "shift+Home"});
        Type(QString::number(value));
        Keys({"Return"});
    }
    int VisibleWindows() const {
        const QString pid = QString::number(morvik.processId());
        return Xdo({"search", "--onlyvisible", "--pid", pid, "--name", "."}).count('\n') + 1;
    }
    QImage Screen() const { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

    QProcess morvik;
    QString control;
    QString mapView;
};

TEST_F(RealWindows, RunsAndSavesAMap) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(screen.size(), QSize(1024, 768));
    EXPECT_EQ(Geometry(control).width(), 128);
    const QRect firstView = Geometry(mapView);
    EXPECT_EQ(firstView.width(), 160);
    const int mapMenuHeight = firstView.height() - 120;

    // The inputs' maxima are the screen's size: 5000 becomes 1024 x 768,
    // which the map view takes on when a run starts.
    Enter(Control(70, 20), 5000);
    Enter(Control(70, 52), 5000);
    ClickAt(Control(72, 164));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Geometry(mapView).width() == 1024; }, 3000));
    EXPECT_EQ(Geometry(mapView).height(), 768 + mapMenuHeight);
    ClickAt(Control(72, 164));  // abort

    Enter(Control(70, 20), 200);
    Enter(Control(70, 52), 150);
    ClickAt(Control(72, 164));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Geometry(mapView).size() == QSize(200, 150 + mapMenuHeight); }, 3000));
    // Done when the map view shows the map: sea and land, not black.
    const auto mapShown = [&] {
        const QRect view = Geometry(mapView);
        const QImage shown = Screen().copy(view.adjusted(0, mapMenuHeight, 0, 0));
        return shown.pixelColor(10, 10) != Qt::black && shown.pixelColor(190, 140) != Qt::black;
    };
    ASSERT_TRUE(QTest::qWaitFor(mapShown, 10000));
    QTest::qWait(300);
    Screen()
        .copy(QRect(0, 0, 400, 260))
        .save(QDir(MORVIK_BUILD_DIR).filePath("morvik-screenshot.png"));

    QTemporaryDir folder;
    const QString saved = folder.filePath("island.bmp");
    const QRect view = Geometry(mapView);
    ClickAt(view.topLeft() + QPoint(20, mapMenuHeight / 2));  // 保存(S)
    ASSERT_TRUE(QTest::qWaitFor([&] { return VisibleWindows() == 3; }, 3000)) << "the save dialog";
    QTest::qWait(500);
    Type(saved);
    Keys({"Return"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(saved).size() > 0; }, 5000));

    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::span<const uint8_t> image(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()));
    ASSERT_TRUE(IsValidBmpImage(image));
    const BmpHeader header = ReadBmpHeader(image);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biWidth, 200);
    EXPECT_EQ(header.biHeight, 150);
    EXPECT_EQ(header.bfSize, bytes.size());
}

}  // namespace
}  // namespace morvik
