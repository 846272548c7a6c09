#pragma once

#include <cstdint>
#include <span>

namespace morvik {

// The processes of one MPI run, started by mpirun (or alone, as one), and
// what they gather from each other. Every call is made by every rank, in
// the same order.
class RankGroup {
  public:
    RankGroup(int* argc, char*** argv);
    ~RankGroup();
    RankGroup(const RankGroup&) = delete;
    RankGroup& operator=(const RankGroup&) = delete;

    int32_t Rank() const { return rank_; }
    int32_t Ranks() const { return ranks_; }

    // Each value replaced by the smallest, the largest or the sum of it
    // over every rank.
    void Least(std::span<int64_t> values) const;
    void Most(std::span<int64_t> values) const;
    void Sum(std::span<int64_t> values) const;
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
