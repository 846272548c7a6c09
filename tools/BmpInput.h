#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvik {

// An input that cannot be taken; the message names the file and why, in one
// line.
class EInputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The most bytes read past what a BMP file's headers account for: room for
// the gaps some writers leave, and no more.
inline constexpr int64_t kBmpSlack = int64_t{1} << 16;

// A BMP file this program can reduce, whole and valid, its header mended to
// its true length. The headers are read first, and what they cannot be is
// refused at once; past them, no more is read than their pixels, a full
// colour table and kBmpSlack, so that a huge or endless input costs bounded
// memory and time. Throws EInputError.
std::vector<uint8_t> ReadBmpInput(const std::string& name);

}  // namespace morvik
