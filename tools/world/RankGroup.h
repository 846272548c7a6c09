#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "world/RankLinks.h"

namespace morvik {

// The processes of one MPI run, started by mpirun (or alone, as one), and
// what they gather from each other. Every call is made by every rank, in
// the same order.
class RankGroup final : public RankLinks {
  public:
    RankGroup(int* argc, char*** argv);
    ~RankGroup();
    RankGroup(const RankGroup&) = delete;
    RankGroup& operator=(const RankGroup&) = delete;

    int32_t Rank() const override { return rank_; }
    int32_t Ranks() const override { return ranks_; }
    std::vector<std::vector<std::byte>> Swap(
        std::vector<std::vector<std::byte>> toEach) const override;
    bool Any(bool yes) const override;

    void Least(std::span<int64_t> values) const override;
    void Most(std::span<int64_t> values) const override;
    void Sum(std::span<int64_t> values) const override;
    void Most(std::span<uint8_t> values) const;

    // The first rank's value, on every rank.
    int64_t FromFirst(int64_t value) const;

    // Whether every rank says yes.
    bool All(bool yes) const;

  private:
    int32_t rank_ = 0;
    int32_t ranks_ = 1;
};

}  // namespace morvik
