#include "tools/HeightmapInput.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <fcntl.h>
#include <openexr.h>
#include <spng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include "terrain/MapSize.h"
#include "tools/SystemText.h"

namespace morvik {

namespace {

// Text chunks and the like are skipped, but only so many bytes of them are
// taken in.
constexpr std::size_t kLargestPngChunk = std::size_t{1} << 20;
constexpr std::size_t kPngChunkCache = std::size_t{4} << 20;

constexpr char kWhatAHeightmapIs[] = "; a heightmap is 16-bit grayscale";

[[noreturn]] void Fail(const std::string& message) { throw EInputError(message); }

[[noreturn]] void FailWithErrno(const std::string& name) {
    Fail("cannot read " + name + ": " + SystemReason(errno));
}

void CheckSides(const std::string& name, int64_t width, int64_t height) {
    constexpr int64_t kLargest = MapSize::kLargestSide;
    if (width >= kSmallestInputSide && width <= kLargest && height >= kSmallestInputSide &&
        height <= kLargest) {
        return;
    }
    Fail(name + " is " + std::to_string(width) + " x " + std::to_string(height) +
         "; each side of a heightmap is " + std::to_string(kSmallestInputSide) + " to " +
         std::to_string(kLargest));
}

// A folder or an empty file said to be one, before a decoder calls it a
// stream error or a file that ends early.
void RefuseWhatHoldsNoHeights(const std::string& name) {
    struct stat status {};
    if (stat(name.c_str(), &status) != 0) return;  // the reader says why
    if (S_ISDIR(status.st_mode)) Fail("cannot read " + name + ": it is a folder");
    if (S_ISREG(status.st_mode) && status.st_size == 0) Fail(name + " is empty");
}

std::size_t CellCount(int32_t width, int32_t height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// An open file, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(const std::string& name)
        : name_(name), descriptor_(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {
        if (descriptor_ < 0) FailWithErrno(name_);
    }
    ~Descriptor() { close(descriptor_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    // Its length, if it is a regular file.
    std::optional<int64_t> Length() const {
        struct stat status {};
        if (fstat(descriptor_, &status) != 0) FailWithErrno(name_);
        if (!S_ISREG(status.st_mode)) return std::nullopt;
        return status.st_size;
    }

    // Fills as much of `bytes` as the file holds; returns how much.
    std::size_t Read(std::span<uint8_t> bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = read(descriptor_, bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) FailWithErrno(name_);
            if (count == 0) break;
            done += static_cast<std::size_t>(count);
        }
        return done;
    }

  private:
    std::string name_;
    int descriptor_;
};

using Decoder = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;
using CFile = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

// What a PNG that is not a 16-bit grayscale one is, for the message.
std::string PngKind(const spng_ihdr& header) {
    switch (header.color_type) {
        case SPNG_COLOR_TYPE_INDEXED:
            return "a palette PNG";
        case SPNG_COLOR_TYPE_TRUECOLOR:
        case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
            return "a colour PNG";
        case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
            return "a PNG with alpha";
        default:
            break;
    }
    return std::string(header.bit_depth == 8 ? "an " : "a ") + std::to_string(header.bit_depth) +
           "-bit PNG";
}

// OpenEXR's core reports through a callback: the last reason is kept.
thread_local std::string exrReason;

void KeepExrReason(exr_const_context_t, exr_result_t code, const char* message) {
    exrReason = message != nullptr ? message : exr_get_default_error_message(code);
}

// The header alone, read by OpenEXR's core, which takes in nothing of the
// pixels: what OpenEXR cannot read, or a size this program cannot take, is
// refused before anything is made for them.
void CheckExrHeader(const std::string& name) {
    exr_context_initializer_t settings = EXR_DEFAULT_CONTEXT_INITIALIZER;
    settings.error_handler_fn = KeepExrReason;
    exr_context_t context = nullptr;
    exrReason = "unknown error";
    const auto fail = [&] {
        const std::string reason = exrReason;
        exr_finish(&context);
        Fail("cannot read " + name + " as an OpenEXR file: " + reason);
    };
    if (exr_start_read(&context, name.c_str(), &settings) != EXR_ERR_SUCCESS) fail();
    exr_storage_t storage{};
    exr_attr_box2i_t window{};
    if (exr_get_storage(context, 0, &storage) != EXR_ERR_SUCCESS ||
        exr_get_data_window(context, 0, &window) != EXR_ERR_SUCCESS) {
        fail();
    }
    exr_finish(&context);
    if (storage != EXR_STORAGE_SCANLINE && storage != EXR_STORAGE_TILED) {
        Fail(name + " holds deep pixels; a heightmap is one value a pixel");
    }
    CheckSides(name, int64_t{window.max.x} - window.min.x + 1,
               int64_t{window.max.y} - window.min.y + 1);
}

// The one channel, else Y, else R.
std::string HeightChannel(const std::string& name, const Imf::ChannelList& channels) {
    std::string names;
    int count = 0;
    for (auto channel = channels.begin(); channel != channels.end(); ++channel) {
        names += (count++ == 0 ? "" : ", ") + std::string(channel.name());
    }
    if (count == 1) return channels.begin().name();
    for (const char* wanted : {"Y", "R"}) {
        if (channels.findChannel(wanted) != nullptr) return wanted;
    }
    Fail(name + " has the channels " + names + "; a heightmap is one channel, or Y or R");
}

}  // namespace

HeightmapInput ReadPngHeightmap(const std::string& name) {
    RefuseWhatHoldsNoHeights(name);
    const CFile file(std::fopen(name.c_str(), "rbe"), std::fclose);
    if (!file) FailWithErrno(name);
    const Decoder decoder(spng_ctx_new(0), spng_ctx_free);
    if (!decoder) Fail("cannot read " + name + ": out of memory");
    spng_ctx* context = decoder.get();
    const auto check = [&](int result) {
        if (result == 0) return;
        Fail("cannot read " + name + " as a PNG file: " +
             (result == SPNG_IO_EOF ? "it ends early" : spng_strerror(result)));
    };
    check(spng_set_chunk_limits(context, kLargestPngChunk, kPngChunkCache));
    check(spng_set_png_file(context, file.get()));
    spng_ihdr header{};
    check(spng_get_ihdr(context, &header));
    if (header.color_type != SPNG_COLOR_TYPE_GRAYSCALE || header.bit_depth != 16) {
        Fail(name + " is " + PngKind(header) + kWhatAHeightmapIs);
    }
    CheckSides(name, header.width, header.height);

    HeightmapInput heights{.width = static_cast<int32_t>(header.width),
                           .height = static_cast<int32_t>(header.height),
                           .values = {}};
    const auto width = static_cast<std::size_t>(heights.width);
    heights.values.resize(CellCount(heights.width, heights.height));
    // Interlaced rows come in passes, each filling some of its pixels.
    const bool interlaced = header.interlace_method != SPNG_INTERLACE_NONE;
    std::vector<uint16_t> samples(interlaced ? heights.values.size() : width);
    check(spng_decode_image(context, nullptr, 0, SPNG_FMT_PNG, SPNG_DECODE_PROGRESSIVE));
    int result = 0;
    while (result != SPNG_EOI) {
        spng_row_info row{};
        check(spng_get_row_info(context, &row));
        uint16_t* out = samples.data() + (interlaced ? row.row_num * width : 0);
        result = spng_decode_row(context, out, width * sizeof(uint16_t));
        if (result != SPNG_EOI) check(result);
        if (!interlaced) std::copy_n(out, width, heights.values.begin() + row.row_num * width);
    }
    if (interlaced) std::copy(samples.begin(), samples.end(), heights.values.begin());
    return heights;
}

HeightmapInput ReadR16Heightmap(const std::string& name, int32_t width, int32_t height) {
    RefuseWhatHoldsNoHeights(name);
    CheckSides(name, width, height);
    const auto wanted = static_cast<int64_t>(2 * CellCount(width, height));
    const auto sizeMessage = [&](const std::string& length) {
        return name + " is " + length + "; a " + std::to_string(width) + " x " +
               std::to_string(height) + " heightmap of 16-bit values is " + std::to_string(wanted) +
               " bytes";
    };
    Descriptor input(name);
    if (const std::optional<int64_t> length = input.Length(); length && *length != wanted) {
        Fail(sizeMessage(std::to_string(*length) + " bytes"));
    }
    HeightmapInput heights{.width = width, .height = height, .values = {}};
    heights.values.reserve(CellCount(width, height));
    // Whole pieces until the end of the file, and one byte past the values
    // to catch a longer stream.
    std::vector<uint8_t> piece(std::size_t{1} << 20);
    int64_t total = 0;
    while (total <= wanted) {
        const auto most = static_cast<std::size_t>(
            std::min<int64_t>(static_cast<int64_t>(piece.size()), wanted + 1 - total));
        const std::size_t count = input.Read({piece.data(), most});
        if (total + static_cast<int64_t>(count) > wanted) {
            Fail(sizeMessage("longer than " + std::to_string(wanted) + " bytes"));
        }
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            heights.values.push_back(static_cast<float>(piece[i] | piece[i + 1] << 8));
        }
        total += static_cast<int64_t>(count);
        if (count < most) break;
    }
    if (total != wanted) Fail(sizeMessage(std::to_string(total) + " bytes"));
    return heights;
}

HeightmapInput ReadExrHeightmap(const std::string& name) {
    RefuseWhatHoldsNoHeights(name);
    CheckExrHeader(name);
    HeightmapInput heights{.width = 0, .height = 0, .values = {}};
    try {
        Imf::InputFile input(name.c_str());
        const Imf::Header& header = input.header();
        const std::string channelName = HeightChannel(name, header.channels());
        const Imf::Channel& channel = *header.channels().findChannel(channelName);
        if (channel.xSampling != 1 || channel.ySampling != 1) {
            Fail(name + " has its channel " + channelName +
                 " subsampled; a heightmap has a value at every pixel");
        }
        const Imath::Box2i window = header.dataWindow();
        heights.width = window.max.x - window.min.x + 1;
        heights.height = window.max.y - window.min.y + 1;
        heights.values.resize(CellCount(heights.width, heights.height));
        Imf::FrameBuffer frame;
        frame.insert(channelName, Imf::Slice::Make(Imf::FLOAT, heights.values.data(), window));
        input.setFrameBuffer(frame);
        input.readPixels(window.min.y, window.max.y);
    } catch (const EInputError&) {
        throw;
    } catch (const std::exception& error) {
        Fail("cannot read " + name + " as an OpenEXR file: " + error.what());
    }
    const auto bad = std::find_if(heights.values.begin(), heights.values.end(),
                                  [](float value) { return !std::isfinite(value); });
    if (bad != heights.values.end()) {
        const auto cell = static_cast<int64_t>(bad - heights.values.begin());
        Fail(name + " has " + (std::isnan(*bad) ? "NaN" : "an infinite value") + " at x " +
             std::to_string(cell % heights.width) + ", y " + std::to_string(cell / heights.width) +
             "; every height must be a finite number");
    }
    return heights;
}

}  // namespace morvik
