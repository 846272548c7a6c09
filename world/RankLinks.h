#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvik {

// How the ranks that share a world talk while they trace it: every call is
// made by every rank, in the same order.
class RankLinks {
  public:
    virtual ~RankLinks() = default;

    virtual int32_t Rank() const = 0;
    virtual int32_t Ranks() const = 0;
    // Sends each rank its bytes, toEach[rank], and returns what each rank
    // sent this one.
    virtual std::vector<std::vector<std::byte>> Swap(
        std::vector<std::vector<std::byte>> toEach) const = 0;
    // Whether any rank says yes.
    virtual bool Any(bool yes) const = 0;
    // Each value replaced by the smallest, the largest or the sum of it
    // over every rank.
    virtual void Least(std::span<int64_t> values) const = 0;
    virtual void Most(std::span<int64_t> values) const = 0;
    virtual void Sum(std::span<int64_t> values) const = 0;
};

// A process that holds the whole world.
class LoneRank final : public RankLinks {
  public:
    int32_t Rank() const override { return 0; }
    int32_t Ranks() const override { return 1; }
    std::vector<std::vector<std::byte>> Swap(
        std::vector<std::vector<std::byte>> toEach) const override {
        return toEach;
    }
    bool Any(bool yes) const override { return yes; }
    void Least(std::span<int64_t>) const override {}
    void Most(std::span<int64_t>) const override {}
    void Sum(std::span<int64_t>) const override {}
};

}  // namespace morvik
