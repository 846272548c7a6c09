// Arbitrary bytes loaded as the image store loads them, every row decoded,
// then reduced for a request of 0..1000 taken from the first two bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "components/ReducedImage/BmpImage.h"
#include "components/ReducedImage/ColourReduction.h"
#include "platform/ToolkitErrors.h"

using namespace morvik;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int32_t requested = (data[0] | data[1] << 8) % 1001;
    std::vector<uint8_t> image(data + 2, data + size);
    if (!RepairFileHeader(image) || !IsValidBmpImage(image)) return 0;

    const BmpHeader header = ReadBmpHeader(image);
    std::vector<uint32_t> row(static_cast<std::size_t>(header.biWidth));
    for (int32_t y = 0; y < header.biHeight; ++y) DecodeRow(image, y, row.data());

    const std::vector<uint8_t> before = image;
    Reduction reduction;
    try {
        reduction = ReduceImage(image, requested);
    } catch (const EOutOfMemory&) {
        return 0;
    }
    Require(image == before);
    Require(IsValidBmpImage(reduction.image));
    const BmpHeader result = ReadBmpHeader(reduction.image);
    const int32_t wanted = std::clamp(requested, kFewestRequested, kMostRequested);
    Require(reduction.colourCount >= 1 && reduction.colourCount <= wanted);
    Require(result.biClrUsed == reduction.colourCount);
    Require(result.biBitCount == (wanted > 16 ? 8 : 4));
    Require(result.biWidth == header.biWidth && result.biHeight == header.biHeight);
    Require(result.bfSize == static_cast<int32_t>(reduction.image.size()));
    return 0;
}
