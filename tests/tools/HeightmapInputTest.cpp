#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <half.h>
#include <spng.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "tests/tools/FormatFiles.h"
#include "tools/FloatHeights.h"
#include "tools/HeightmapInput.h"
#include "tools/PngFile.h"

namespace morvik {
namespace {

class HeightmapInputs : public FormatFiles {
  protected:
    // A picture of `bitDepth` samples, `bytesPerPixel` to a pixel, all 0x5a.
    void WritePicture(const std::string& name, int32_t width, int32_t height, int32_t bitDepth,
                      PngColour colour, std::vector<uint32_t> palette = {}) {
        const std::vector<std::byte> row(static_cast<std::size_t>(width) * 8, std::byte{0x5a});
        Produce(name, [&](OutputFile& file) {
            WritePng(file,
                     {.width = width,
                      .height = height,
                      .bitDepth = bitDepth,
                      .palette = std::move(palette),
                      .colour = colour},
                     [&](int32_t) { return std::span(row); });
        });
    }

    // The message a reader fails with; none if it does not.
    template <typename Reader>
    static std::string Refusal(Reader&& read) {
        try {
            read();
        } catch (const EInputError& error) {
            return error.what();
        }
        return "(no refusal)";
    }
};

std::vector<uint16_t> Levels(int32_t width, int32_t height) {
    std::vector<uint16_t> levels(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        levels[i] = static_cast<uint16_t>(i * 2003 + i / 7);
    }
    return levels;
}

std::vector<float> AsFloats(const std::vector<uint16_t>& levels) {
    return {levels.begin(), levels.end()};
}

TEST_F(HeightmapInputs, A16BitGreyPngGivesEveryLevelInPlace) {
    constexpr int32_t kWidth = 29;
    constexpr int32_t kHeight = 17;
    const std::vector<uint16_t> levels = Levels(kWidth, kHeight);
    const std::string name = Path("heights.png");
    Produce(name, [&](OutputFile& file) {
        WritePng(file, {.width = kWidth, .height = kHeight, .bitDepth = 16, .palette = {}},
                 [&](int32_t y) {
                     return std::as_bytes(std::span(levels).subspan(y * kWidth, kWidth));
                 });
    });
    const HeightmapInput heights = ReadPngHeightmap(name);
    EXPECT_EQ(heights.width, kWidth);
    EXPECT_EQ(heights.height, kHeight);
    EXPECT_EQ(heights.values, AsFloats(levels));
}

// Interlaced rows come in seven passes; each pixel must still land in its
// own place.
TEST_F(HeightmapInputs, AnInterlacedPngGivesTheSameLevels) {
    constexpr int32_t kWidth = 19;
    constexpr int32_t kHeight = 11;
    const std::vector<uint16_t> levels = Levels(kWidth, kHeight);
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> encoder(
        spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    spng_ihdr header{};
    header.width = kWidth;
    header.height = kHeight;
    header.bit_depth = 16;
    header.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
    header.interlace_method = SPNG_INTERLACE_ADAM7;
    ASSERT_EQ(spng_set_option(encoder.get(), SPNG_ENCODE_TO_BUFFER, 1), 0);
    ASSERT_EQ(spng_set_ihdr(encoder.get(), &header), 0);
    ASSERT_EQ(spng_encode_image(encoder.get(), levels.data(), levels.size() * 2, SPNG_FMT_PNG,
                                SPNG_ENCODE_FINALIZE),
              0);
    std::size_t length = 0;
    int error = 0;
    const std::unique_ptr<void, decltype(&free)> png(
        spng_get_png_buffer(encoder.get(), &length, &error), free);
    ASSERT_EQ(error, 0);
    const auto* bytes = static_cast<const uint8_t*>(png.get());
    Write(Path("interlaced.png"), {bytes, bytes + length});

    const HeightmapInput heights = ReadPngHeightmap(Path("interlaced.png"));
    EXPECT_EQ(heights.width, kWidth);
    EXPECT_EQ(heights.height, kHeight);
    EXPECT_EQ(heights.values, AsFloats(levels));
}

TEST_F(HeightmapInputs, PngsOfOtherKindsAreRefusedSayingWhatTheyAre) {
    const std::string name = Path("in.png");
    const auto refusal = [&] { return Refusal([&] { ReadPngHeightmap(name); }); };
    WritePicture(name, 4, 4, 8, PngColour::kGrey);
    EXPECT_EQ(refusal(), name + " is an 8-bit PNG; a heightmap is 16-bit grayscale");
    WritePicture(name, 4, 4, 8, PngColour::kRgb);
    EXPECT_EQ(refusal(), name + " is a colour PNG; a heightmap is 16-bit grayscale");
    WritePicture(name, 4, 4, 8, PngColour::kGrey, {0x102030, 0x405060});
    EXPECT_EQ(refusal(), name + " is a palette PNG; a heightmap is 16-bit grayscale");
    WritePicture(name, 1, 9, 16, PngColour::kGrey);
    EXPECT_EQ(refusal(), name + " is 1 x 9; each side of a heightmap is 2 to 16385");
    WritePicture(name, 16386, 2, 16, PngColour::kGrey);
    EXPECT_EQ(refusal(), name + " is 16386 x 2; each side of a heightmap is 2 to 16385");
}

TEST_F(HeightmapInputs, BrokenPngsAreRefusedWithTheReason) {
    const std::string name = Path("in.png");
    const std::string prefix = "cannot read " + name + " as a PNG file: ";
    const auto refusal = [&] { return Refusal([&] { ReadPngHeightmap(name); }); };

    Write(name, std::vector<uint8_t>(5000, 'x'));
    EXPECT_EQ(refusal().rfind(prefix, 0), 0u) << refusal();

    WritePicture(name, 300, 300, 16, PngColour::kGrey);
    std::vector<uint8_t> bytes = Read(name);
    bytes.resize(bytes.size() / 2);
    Write(name, bytes);
    EXPECT_EQ(refusal(), prefix + "it ends early");

    // A valid header before a gigabyte of nothing: refused at once.
    bytes.resize(33);
    Write(name, bytes);
    ASSERT_EQ(truncate(name.c_str(), int64_t{1} << 30), 0);
    EXPECT_EQ(refusal().rfind(prefix, 0), 0u) << refusal();

    EXPECT_EQ(Refusal([&] { ReadPngHeightmap(Path("missing.png")); }),
              "cannot read " + Path("missing.png") + ": No such file or directory");
}

TEST_F(HeightmapInputs, AnR16FileGivesLittleEndianLevelsFromTheTopRow) {
    const std::string name = Path("heights.r16");
    Write(name, {0x01, 0x00, 0xff, 0xff, 0x34, 0x12, 0x00, 0x80, 0x00, 0x00, 0xcd, 0xab});
    const HeightmapInput heights = ReadR16Heightmap(name, 3, 2);
    EXPECT_EQ(heights.width, 3);
    EXPECT_EQ(heights.height, 2);
    EXPECT_EQ(heights.values, (std::vector<float>{1, 65535, 0x1234, 0x8000, 0, 0xabcd}));
}

TEST_F(HeightmapInputs, AnR16FileOfTheWrongLengthOrSizeIsRefused) {
    const std::string name = Path("heights.r16");
    Write(name, std::vector<uint8_t>(20001));
    EXPECT_EQ(Refusal([&] { ReadR16Heightmap(name, 100, 100); }),
              name + " is 20001 bytes; a 100 x 100 heightmap of 16-bit values is 20000 bytes");
    EXPECT_EQ(Refusal([&] { ReadR16Heightmap(name, 100, 101); }),
              name + " is 20001 bytes; a 100 x 101 heightmap of 16-bit values is 20200 bytes");
    EXPECT_EQ(Refusal([&] { ReadR16Heightmap(name, 16386, 16386); }),
              name + " is 16386 x 16386; each side of a heightmap is 2 to 16385");
    ASSERT_EQ(truncate(name.c_str(), int64_t{1} << 30), 0);
    EXPECT_EQ(Refusal([&] { ReadR16Heightmap(name, 100, 100); }),
              name + " is 1073741824 bytes; a 100 x 100 heightmap of 16-bit values is 20000 bytes");
}

// Read through a pipe, whose length is known only at its end.
TEST_F(HeightmapInputs, AnR16StreamLongerOrShorterThanItsSizeIsRefused) {
    const std::string wanted = "a 2 x 2 heightmap of 16-bit values is 8 bytes";
    const std::pair<std::size_t, std::string> cases[] = {
        {7, " is 7 bytes; " + wanted}, {9, " is longer than 8 bytes; " + wanted}, {8, ""}};
    for (const auto& [length, message] : cases) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const std::vector<uint8_t> bytes(length, 0x11);
        ASSERT_EQ(write(ends[1], bytes.data(), length), static_cast<ssize_t>(length));
        close(ends[1]);
        const std::string name = "/dev/fd/" + std::to_string(ends[0]);
        const std::string refusal = Refusal([&] { ReadR16Heightmap(name, 2, 2); });
        close(ends[0]);
        EXPECT_EQ(refusal, message.empty() ? "(no refusal)" : name + message);
    }
}

// An OpenEXR file of the given channels, each of `type`, every value
// `value` but the one at (badX, badY).
void WriteExr(const std::string& name, const Imath::Box2i& window,
              const std::vector<std::string>& channels, Imf::PixelType type, float value,
              float bad = 0, int32_t badX = -1, int32_t badY = -1) {
    Imf::Header header(Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(1, 1)), window);
    for (const std::string& channel : channels) header.channels().insert(channel, {type});
    const int32_t width = window.max.x - window.min.x + 1;
    const int32_t height = window.max.y - window.min.y + 1;
    std::vector<float> values(static_cast<std::size_t>(width) * height, value);
    if (badX >= 0) values[static_cast<std::size_t>(badY) * width + badX] = bad;
    const std::vector<half> halves(values.begin(), values.end());
    Imf::FrameBuffer frame;
    for (const std::string& channel : channels) {
        frame.insert(channel, type == Imf::HALF
                                  ? Imf::Slice::Make(Imf::HALF, halves.data(), window)
                                  : Imf::Slice::Make(Imf::FLOAT, values.data(), window));
    }
    Imf::OutputFile file(name.c_str(), header);
    file.setFrameBuffer(frame);
    file.writePixels(height);
}

const Imath::Box2i kWindow(Imath::V2i(0, 0), Imath::V2i(5, 3));

TEST_F(HeightmapInputs, AnExrChannelIsTheOneThereOrYOrR) {
    const std::string name = Path("heights.exr");
    struct Case {
        std::vector<std::string> channels;
        Imf::PixelType type;
    };
    for (const Case& given : {Case{{"height"}, Imf::FLOAT}, Case{{"Y", "A"}, Imf::HALF},
                              Case{{"B", "G", "R"}, Imf::FLOAT}}) {
        SCOPED_TRACE(given.channels.front());
        WriteExr(name, kWindow, given.channels, given.type, -12.5f);
        const HeightmapInput heights = ReadExrHeightmap(name);
        EXPECT_EQ(heights.width, 6);
        EXPECT_EQ(heights.height, 4);
        EXPECT_EQ(heights.values, std::vector<float>(24, -12.5f));
    }
    // A data window away from the origin is read from its own corner.
    WriteExr(name, Imath::Box2i(Imath::V2i(-3, 10), Imath::V2i(0, 12)), {"Y"}, Imf::FLOAT, 7.0f,
             -1.0f, 3, 2);
    const HeightmapInput moved = ReadExrHeightmap(name);
    EXPECT_EQ(moved.width, 4);
    EXPECT_EQ(moved.height, 3);
    EXPECT_EQ(moved.values.back(), -1.0f);
    EXPECT_EQ(moved.values.front(), 7.0f);
}

TEST_F(HeightmapInputs, AnExrFileThatIsNoHeightmapIsRefusedSayingWhy) {
    const std::string name = Path("heights.exr");
    const auto refusal = [&] { return Refusal([&] { ReadExrHeightmap(name); }); };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();

    WriteExr(name, kWindow, {"Y"}, Imf::FLOAT, 1.0f, nan, 4, 2);
    EXPECT_EQ(refusal(), name + " has NaN at x 4, y 2; every height must be a finite number");
    WriteExr(name, kWindow, {"Y"}, Imf::HALF, 1.0f, -infinity, 0, 3);
    EXPECT_EQ(refusal(),
              name + " has an infinite value at x 0, y 3; every height must be a finite number");
    WriteExr(name, kWindow, {"A", "B"}, Imf::FLOAT, 1.0f);
    EXPECT_EQ(refusal(), name + " has the channels A, B; a heightmap is one channel, or Y or R");
    WriteExr(name, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(16385, 1)), {"Y"}, Imf::FLOAT, 1.0f);
    EXPECT_EQ(refusal(), name + " is 16386 x 2; each side of a heightmap is 2 to 16385");
    WriteExr(name, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(0, 5)), {"Y"}, Imf::FLOAT, 1.0f);
    EXPECT_EQ(refusal(), name + " is 1 x 6; each side of a heightmap is 2 to 16385");
}

TEST_F(HeightmapInputs, BrokenExrFilesAreRefusedWithOpenExrsReason) {
    const std::string name = Path("heights.exr");
    const std::string prefix = "cannot read " + name + " as an OpenEXR file: ";
    const auto refusal = [&] { return Refusal([&] { ReadExrHeightmap(name); }); };

    Write(name, std::vector<uint8_t>(5000, 'x'));
    EXPECT_EQ(refusal().rfind(prefix, 0), 0u) << refusal();
    EXPECT_GT(refusal().size(), prefix.size() + 5) << "a reason";

    std::vector<float> heights(300 * 300, 2.0f);
    heights[1234] = 3.0f;
    Produce(name, [&](OutputFile& file) { WriteFloatHeights(file, 300, 300, heights); });
    std::vector<uint8_t> bytes = Read(name);
    bytes.resize(bytes.size() * 2 / 3);
    Write(name, bytes);
    EXPECT_EQ(refusal().rfind(prefix, 0), 0u) << refusal();

    // A header, then a gigabyte of nothing.
    bytes.resize(200);
    Write(name, bytes);
    ASSERT_EQ(truncate(name.c_str(), int64_t{1} << 30), 0);
    EXPECT_EQ(refusal().rfind(prefix, 0), 0u) << refusal();
}

}  // namespace
}  // namespace morvik
