#include "tools/FloatHeights.h"

#include <Iex.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfOutputFile.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <string_view>
#include <vector>

namespace morvik {

namespace {

constexpr std::size_t kSlice = std::size_t{1} << 20;

// ZIP compresses 16 scan lines a block: the rows are handed over as many.
constexpr int32_t kExrBlockRows = 16;

// Bytes written over earlier ones: OpenEXR goes back to fill in where each
// block starts once it knows.
struct Patch {
    uint64_t at;
    std::vector<char> bytes;
};

// OpenEXR's stream for both encodings of one file. The first writes
// nowhere and keeps what is written over earlier bytes; the second writes
// to the file straight through, those bytes already in place, and checks
// that what comes back over them is what the first one saw.
class TwoPassStream : public Imf::OStream {
  public:
    TwoPassStream() : Imf::OStream("") {}

    void StartWriting(OutputFile& file) {
        file_ = &file;
        position_ = 0;
        end_ = 0;
    }

    // Whether the second encoding wrote what the first one did.
    bool Agrees() const { return agrees_; }
    std::exception_ptr Error() const { return error_; }

    void write(const char bytes[], int count) override {
        const auto length = static_cast<uint64_t>(count);
        if (position_ > end_) agrees_ = false;  // a gap: not what OpenEXR writes
        const uint64_t over = position_ < end_ ? std::min(length, end_ - position_) : 0;
        if (file_ == nullptr) {
            if (over > 0) patches_.push_back({position_, {bytes, bytes + over}});
        } else {
            if (!MatchesPatches(position_, bytes, over)) agrees_ = false;
            if (over < length) Pass(position_ + over, bytes + over, length - over);
        }
        position_ += length;
        end_ = std::max(end_, position_);
    }

    uint64_t tellp() override { return position_; }
    void seekp(uint64_t position) override { position_ = position; }

  private:
    // Bytes written over again must each lie in a patch, and equal it.
    bool MatchesPatches(uint64_t at, const char* bytes, uint64_t count) const {
        for (uint64_t i = 0; i < count; ++i) {
            bool covered = false;
            for (const Patch& patch : patches_) {
                if (at + i < patch.at || at + i >= patch.at + patch.bytes.size()) continue;
                if (patch.bytes[at + i - patch.at] != bytes[i]) return false;
                covered = true;
            }
            if (!covered) return false;
        }
        return true;
    }

    void Pass(uint64_t at, const char* bytes, uint64_t count) {
        try {
            const auto overlaps = [&](const Patch& patch) {
                return patch.at < at + count && at < patch.at + patch.bytes.size();
            };
            if (std::none_of(patches_.begin(), patches_.end(), overlaps)) {
                file_->Write({reinterpret_cast<const uint8_t*>(bytes), count});
                return;
            }
            std::vector<uint8_t> patched(bytes, bytes + count);
            for (const Patch& patch : patches_) {
                if (!overlaps(patch)) continue;
                const uint64_t from = std::max(at, patch.at);
                const uint64_t to = std::min(at + count, patch.at + patch.bytes.size());
                std::memcpy(patched.data() + (from - at), patch.bytes.data() + (from - patch.at),
                            to - from);
            }
            file_->Write(patched);
        } catch (...) {
            // OpenEXR knows its own exceptions only; the file's goes round it.
            error_ = std::current_exception();
            throw Iex::IoExc("the file could not be written");
        }
    }

    OutputFile* file_ = nullptr;
    uint64_t position_ = 0;
    uint64_t end_ = 0;
    std::vector<Patch> patches_;
    bool agrees_ = true;
    std::exception_ptr error_;
};

// One encoding of the whole file; the file is complete when this returns.
void EncodeExr(Imf::OStream& stream, int32_t width, int32_t height, const FloatRow& row,
               const std::function<void(int32_t rowsDone)>& done) {
    Imf::Header header(width, height);
    header.channels().insert("Y", Imf::Channel(Imf::FLOAT));
    header.compression() = Imf::ZIP_COMPRESSION;
    Imf::OutputFile exr(stream, header);
    std::vector<float> block(static_cast<std::size_t>(width) * kExrBlockRows);
    for (int32_t first = 0; first < height; first += kExrBlockRows) {
        const int32_t rows = std::min(kExrBlockRows, height - first);
        for (int32_t y = 0; y < rows; ++y) {
            const std::span<const float> values = row(first + y);
            std::copy_n(values.begin(), width, block.begin() + std::ptrdiff_t{y} * width);
        }
        Imf::FrameBuffer frame;
        frame.insert("Y",
                     Imf::Slice::Make(Imf::FLOAT, block.data(), Imath::V2i(0, first), width, rows));
        exr.setFrameBuffer(frame);
        exr.writePixels(rows);
        done(first + rows);
    }
}

void WriteExr(OutputFile& file, int32_t width, int32_t height, const FloatRow& row,
              const WritingReport& report) {
    TwoPassStream stream;
    const auto share = [&](double start) {
        return [&report, start, height](int32_t rowsDone) {
            if (report) report(start + 0.5 * rowsDone / height);
        };
    };
    try {
        EncodeExr(stream, width, height, row, share(0));
        stream.StartWriting(file);
        EncodeExr(stream, width, height, row, share(0.5));
    } catch (const std::exception& error) {
        if (stream.Error()) std::rethrow_exception(stream.Error());
        throw EOutputError(file.Name(), std::string("the OpenEXR encoder failed: ") + error.what());
    }
    if (stream.Error()) std::rethrow_exception(stream.Error());
    if (!stream.Agrees()) {
        throw EOutputError(file.Name(), "the OpenEXR encoder wrote the same heights differently");
    }
}

void WriteR32(OutputFile& file, int32_t width, int32_t height, const FloatRow& row,
              const WritingReport& report) {
    std::vector<uint8_t> slice;
    slice.reserve(kSlice + 4 * static_cast<std::size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        for (const float value : row(y).first(static_cast<std::size_t>(width))) {
            const auto bits = std::bit_cast<uint32_t>(value);
            for (int shift = 0; shift < 32; shift += 8) {
                slice.push_back(static_cast<uint8_t>(bits >> shift));
            }
        }
        if (slice.size() >= kSlice || y + 1 == height) {
            file.Write(slice);
            slice.clear();
            if (report) report(static_cast<double>(y + 1) / height);
        }
    }
}

}  // namespace

bool IsR32Name(const std::string& fileName) {
    constexpr std::string_view kEnding = ".r32";
    if (fileName.size() < kEnding.size()) return false;
    return std::equal(kEnding.begin(), kEnding.end(), fileName.end() - kEnding.size(),
                      [](char wanted, char given) {
                          return wanted ==
                                 (given >= 'A' && given <= 'Z' ? given - 'A' + 'a' : given);
                      });
}

void WriteFloatHeights(OutputFile& file, int32_t width, int32_t height, const FloatRow& row,
                       const WritingReport& report) {
    if (IsR32Name(file.Name())) {
        WriteR32(file, width, height, row, report);
    } else {
        WriteExr(file, width, height, row, report);
    }
}

void WriteFloatHeights(OutputFile& file, int32_t width, int32_t height,
                       std::span<const float> heights, const WritingReport& report) {
    const auto heightsRow = [&](int32_t y) {
        return heights.subspan(static_cast<std::size_t>(y) * width,
                               static_cast<std::size_t>(width));
    };
    WriteFloatHeights(file, width, height, heightsRow, report);
}

}  // namespace morvik
