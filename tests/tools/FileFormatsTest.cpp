#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <openexr.h>
#include <spng.h>

#include <bit>
#include <cmath>
#include <memory>

#include "tests/tools/FormatFiles.h"
#include "tools/FloatHeights.h"
#include "tools/HeightmapInput.h"
#include "tools/PngFile.h"

namespace morvik {
namespace {

class FileFormats : public FormatFiles {};

struct DecodedPng {
    spng_ihdr header{};
    std::vector<uint8_t> pixels;  // as stored, 16-bit samples in the machine's order
};

DecodedPng DecodePng(const std::vector<uint8_t>& bytes) {
    DecodedPng decoded;
    const std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0),
                                                                      spng_ctx_free);
    std::size_t size = 0;
    if (spng_set_png_buffer(context.get(), bytes.data(), bytes.size()) != 0 ||
        spng_get_ihdr(context.get(), &decoded.header) != 0 ||
        spng_decoded_image_size(context.get(), SPNG_FMT_PNG, &size) != 0) {
        ADD_FAILURE() << "not a PNG file";
        return decoded;
    }
    decoded.pixels.resize(size);
    EXPECT_EQ(spng_decode_image(context.get(), decoded.pixels.data(), size, SPNG_FMT_PNG, 0), 0);
    return decoded;
}

// Samples that change from pixel to pixel and row to row, unlike in any
// other place, so that a sample out of place or order shows.
std::vector<uint8_t> Samples(std::size_t count) {
    std::vector<uint8_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<uint8_t>(i * 7 + i / 13);
    return samples;
}

TEST_F(FileFormats, EachPngColourDecodesToTheSamplesGiven) {
    struct Case {
        PngColour colour;
        int32_t bitDepth;
        int32_t channels;
        uint8_t colourType;
    };
    const Case cases[] = {{PngColour::kGrey, 8, 1, SPNG_COLOR_TYPE_GRAYSCALE},
                          {PngColour::kGrey, 16, 1, SPNG_COLOR_TYPE_GRAYSCALE},
                          {PngColour::kRgb, 8, 3, SPNG_COLOR_TYPE_TRUECOLOR},
                          {PngColour::kRgba, 8, 4, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA}};
    constexpr int32_t kWidth = 37;
    constexpr int32_t kHeight = 23;
    for (const Case& given : cases) {
        SCOPED_TRACE(std::to_string(given.channels) + " channels of " +
                     std::to_string(given.bitDepth) + " bits");
        const std::size_t rowBytes = std::size_t{kWidth} * given.channels * given.bitDepth / 8;
        const std::vector<uint8_t> samples = Samples(rowBytes * kHeight);
        const std::string name = Path("picture.png");
        Produce(name, [&](OutputFile& file) {
            WritePng(file,
                     {.width = kWidth,
                      .height = kHeight,
                      .bitDepth = given.bitDepth,
                      .palette = {},
                      .colour = given.colour},
                     [&](int32_t y) {
                         return std::as_bytes(std::span(samples).subspan(y * rowBytes, rowBytes));
                     });
        });
        const DecodedPng decoded = DecodePng(Read(name));
        EXPECT_EQ(decoded.header.width, uint32_t{kWidth});
        EXPECT_EQ(decoded.header.height, uint32_t{kHeight});
        EXPECT_EQ(decoded.header.bit_depth, given.bitDepth);
        EXPECT_EQ(decoded.header.color_type, given.colourType);
        EXPECT_EQ(decoded.pixels, samples);
    }
}

TEST_F(FileFormats, AColourPngOfADepthPngHasNotIsRefused) {
    const std::vector<uint8_t> samples(8);
    OutputSet set;
    OutputFile& file = set.Open(Path("picture.png"));
    const PngRow row = [&](int32_t) { return std::as_bytes(std::span(samples)); };
    EXPECT_THROW(
        WritePng(file,
                 {.width = 4, .height = 2, .bitDepth = 4, .palette = {}, .colour = PngColour::kRgb},
                 row),
        EOutputError);
}

// Heights below the sea, fractions and large values; more rows than one
// compressed block and a width no block size divides.
std::vector<float> Heights(int32_t width, int32_t height) {
    std::vector<float> heights(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < heights.size(); ++i) {
        heights[i] = static_cast<float>(std::sin(0.37 * i) * 900.0 + 0.001 * i - 25.5);
    }
    return heights;
}

TEST_F(FileFormats, AnExrFileHoldsOneFloatChannelYOfEveryHeight) {
    constexpr int32_t kWidth = 45;
    constexpr int32_t kHeight = 70;
    const std::vector<float> heights = Heights(kWidth, kHeight);
    const std::string name = Path("heights.exr");
    std::vector<double> shares;
    Produce(name, [&](OutputFile& file) {
        WriteFloatHeights(file, kWidth, kHeight, heights,
                          [&](double share) { shares.push_back(share); });
    });
    ASSERT_FALSE(shares.empty());
    EXPECT_DOUBLE_EQ(shares.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));

    Imf::InputFile input(name.c_str());
    const Imf::Header& header = input.header();
    EXPECT_EQ(header.compression(), Imf::ZIP_COMPRESSION);
    EXPECT_FALSE(header.hasTileDescription());
    const Imath::Box2i window = header.dataWindow();
    EXPECT_EQ(window, Imath::Box2i(Imath::V2i(0, 0), Imath::V2i(kWidth - 1, kHeight - 1)));
    int channels = 0;
    for (auto channel = header.channels().begin(); channel != header.channels().end(); ++channel) {
        ++channels;
        EXPECT_STREQ(channel.name(), "Y");
        EXPECT_EQ(channel.channel().type, Imf::FLOAT);
    }
    EXPECT_EQ(channels, 1);
    std::vector<float> read(heights.size());
    Imf::FrameBuffer frame;
    frame.insert("Y", Imf::Slice::Make(Imf::FLOAT, read.data(), window));
    input.setFrameBuffer(frame);
    input.readPixels(0, kHeight - 1);
    EXPECT_EQ(read, heights);

    // OpenEXR's library rebuilds a lost table of blocks: its core, told not
    // to, shows that the file's own is whole.
    exr_context_initializer_t settings = EXR_DEFAULT_CONTEXT_INITIALIZER;
    settings.flags = EXR_CONTEXT_FLAG_DISABLE_CHUNK_RECONSTRUCTION;
    exr_context_t context = nullptr;
    ASSERT_EQ(exr_start_read(&context, name.c_str(), &settings), EXR_ERR_SUCCESS);
    for (int32_t y = 0; y < kHeight; y += 16) {
        exr_chunk_info_t block{};
        EXPECT_EQ(exr_read_scanline_chunk_info(context, 0, y, &block), EXR_ERR_SUCCESS) << y;
        EXPECT_EQ(block.start_y, y);
        EXPECT_EQ(block.height, std::min(16, kHeight - y));
    }
    exr_finish(&context);

    const HeightmapInput again = ReadExrHeightmap(name);
    EXPECT_EQ(again.width, kWidth);
    EXPECT_EQ(again.height, kHeight);
    EXPECT_EQ(again.values, heights);
}

TEST_F(FileFormats, AnR32FileIsLittleEndianFloatsFromTheTopRow) {
    const std::vector<float> heights{1.0f, -2.5f, 0.0f, 1e6f, 3.25f, -0.0f};
    const std::string name = Path("heights.R32");
    Produce(name, [&](OutputFile& file) { WriteFloatHeights(file, 3, 2, heights); });
    EXPECT_EQ(Read(name), (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x20, 0xc0,
                                                0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x74, 0x49,
                                                0x00, 0x00, 0x50, 0x40, 0x00, 0x00, 0x00, 0x80}));
}

// Rows asked for one at a time, as a map converted on the way is.
TEST_F(FileFormats, RowsGivenOneByOneMakeTheSameFilesAsAWholeGrid) {
    constexpr int32_t kWidth = 20;
    constexpr int32_t kHeight = 33;
    const std::vector<float> heights = Heights(kWidth, kHeight);
    for (const std::string ending : {".exr", ".r32"}) {
        SCOPED_TRACE(ending);
        Produce(Path("whole" + ending),
                [&](OutputFile& file) { WriteFloatHeights(file, kWidth, kHeight, heights); });
        std::vector<float> row(kWidth);
        Produce(Path("rows" + ending), [&](OutputFile& file) {
            WriteFloatHeights(file, kWidth, kHeight, [&](int32_t y) {
                std::copy_n(heights.begin() + y * kWidth, kWidth, row.begin());
                return std::span<const float>(row);
            });
        });
        const std::vector<uint8_t> whole = Read(Path("whole" + ending));
        EXPECT_FALSE(whole.empty());
        EXPECT_EQ(Read(Path("rows" + ending)), whole);
    }
}

}  // namespace
}  // namespace morvik
