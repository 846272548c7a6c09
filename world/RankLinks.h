#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Items as the bytes a Swap sends, and back.
template <typename Item>
std::vector<std::byte> AsBytes(const std::vector<Item>& items) {
    std::vector<std::byte> bytes(items.size() * sizeof(Item));
    if (!bytes.empty()) std::memcpy(bytes.data(), items.data(), bytes.size());
    return bytes;
}
template <typename Item>
void AppendFrom(std::span<const std::byte> bytes, std::vector<Item>& items) {
    const std::size_t first = items.size();
    items.resize(first + bytes.size() / sizeof(Item));
    if (!bytes.empty()) std::memcpy(items.data() + first, bytes.data(), bytes.size());
}

// Every rank's items, on every rank, in the order of the ranks.
template <typename Item>
std::vector<Item> GatherAll(const RankLinks& links, const std::vector<Item>& mine) {
    std::vector<Item> all;
    for (const std::vector<std::byte>& from : links.Swap(std::vector<std::vector<std::byte>>(
             static_cast<std::size_t>(links.Ranks()), AsBytes(mine)))) {
        AppendFrom(std::span<const std::byte>(from), all);
    }
    return all;
}

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
