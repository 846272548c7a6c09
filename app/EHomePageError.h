#pragma once

#include <stdexcept>
#include <string>

namespace morvik {

// The maker's page could not be opened: no browser, or the desktop refused.
class EHomePageError : public std::runtime_error {
  public:
    explicit EHomePageError(const std::string& address)
        : std::runtime_error("ホームページ " + address + " を開けません") {}
};

}  // namespace morvik
