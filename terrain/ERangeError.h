#pragma once

#include <stdexcept>

namespace morvik {

// An argument outside the range an operation can work with, refused before
// anything is changed.
class ERangeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace morvik
