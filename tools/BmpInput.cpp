#include "tools/BmpInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <span>

#include "components/ReducedImage/BmpImage.h"
#include "terrain/MapSize.h"
#include "tools/SystemText.h"

namespace morvik {

namespace {

constexpr int64_t kLargestColourTable = 256 * 4;

// An open file, closed when it goes.
class Input {
  public:
    explicit Input(const std::string& name)
        : name_(name), descriptor_(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {
        if (descriptor_ < 0) FailWithErrno();
    }
    ~Input() { close(descriptor_); }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Appends up to `most` more bytes, fewer only at the end of the file,
    // a piece at a time: the vector grows as far as the file goes.
    void ReadUpTo(std::vector<uint8_t>& bytes, int64_t most) {
        constexpr int64_t kPiece = int64_t{1} << 20;
        for (int64_t left = most; left > 0;) {
            const std::size_t start = bytes.size();
            bytes.resize(start + static_cast<std::size_t>(std::min(left, kPiece)));
            const ssize_t count = read(descriptor_, bytes.data() + start, bytes.size() - start);
            bytes.resize(start + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) FailWithErrno();
            if (count == 0) return;
            left -= count;
        }
    }

    [[noreturn]] void Fail(const std::string& why) const { throw EInputError(name_ + " " + why); }

  private:
    [[noreturn]] void FailWithErrno() const {
        throw EInputError("cannot read " + name_ + ": " + SystemReason(errno));
    }

    std::string name_;
    int descriptor_;
};

}  // namespace

std::vector<uint8_t> ReadBmpInput(const std::string& name) {
    Input input(name);
    std::vector<uint8_t> bytes;
    input.ReadUpTo(bytes, kBmpHeadersSize);
    const char* notABmp = "is not an uncompressed BMP file this program can read";
    if (bytes.size() < kBmpHeadersSize) input.Fail(notABmp);
    const BmpHeader header = ReadBmpHeader(bytes);
    if (header.bfType != kBmpSignature || header.biSize != 40 || header.biPlanes != 1 ||
        header.biCompression != 0 || header.biWidth <= 0 || header.biHeight == 0) {
        input.Fail(notABmp);
    }
    // A top-down file gives a negative height.
    const int64_t width = header.biWidth;
    const int64_t height = std::abs(int64_t{header.biHeight});
    if (width > MapSize::kLargestSide || height > MapSize::kLargestSide) {
        const std::string side = std::to_string(MapSize::kLargestSide);
        input.Fail("is " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels; this program reduces pictures up to " + side + " x " + side);
    }
    if (!HasDecoding(header.biBitCount)) {
        input.Fail("has " + std::to_string(header.biBitCount) +
                   "-bit pixels, which this program cannot decode");
    }
    const int64_t longest = static_cast<int64_t>(kBmpHeadersSize) + kLargestColourTable +
                            BmpRowStride(header.biBitCount, header.biWidth) * height + kBmpSlack;
    input.ReadUpTo(bytes, longest + 1 - static_cast<int64_t>(kBmpHeadersSize));
    if (static_cast<int64_t>(bytes.size()) > longest) {
        input.Fail("is longer than a BMP file of " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels can be");
    }
    if (!RepairFileHeader(bytes) || !IsValidBmpImage(bytes)) input.Fail(notABmp);
    return bytes;
}

}  // namespace morvik
