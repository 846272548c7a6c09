#pragma once

#include <cstdint>

namespace morvik {

// Where the bound of every random number comes from: a millisecond count that
// wraps at 2^32.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual uint32_t Ticks() = 0;
};

// Milliseconds since boot from the monotonic clock, truncated to 32 bits.
class SystemTickSource final : public TickSource {
  public:
    uint32_t Ticks() override;
};

// The same count at every reading, so that a run can be repeated exactly.
class FixedTickSource final : public TickSource {
  public:
    explicit FixedTickSource(uint32_t ticks) : ticks_(ticks) {}
    uint32_t Ticks() override { return ticks_; }

  private:
    uint32_t ticks_;
};

}  // namespace morvik
