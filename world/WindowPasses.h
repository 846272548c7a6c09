#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "landscape/ReceiverTree.h"
#include "terrain/ZeroedVector.h"
#include "world/PartWindows.h"
#include "world/RankLinks.h"

namespace morvik {

// The receiver trees' two passes over a world's parts, each window's tree
// routed over the whole window: visit(window, cell) for every cell a
// window's part owns, each after all its donors (Downstream) or after its
// receiver (Upstream), as ReceiverTree's passes visit a whole map's. A cell
// that waits for a ring cell waits until a ring brings it done: between
// rounds, `exchange` brings the rings' values the visits read, and the
// passes which ring cells are done, until every rank is done. Every rank
// calls them.
template <typename Visit, typename Exchange>
void DownstreamWindows(const PartWindows& parts, const std::vector<ReceiverTree>& trees,
                       const RankLinks& links, Visit visit, Exchange exchange);
template <typename Visit, typename Exchange>
void UpstreamWindows(const PartWindows& parts, const std::vector<ReceiverTree>& trees,
                     const RankLinks& links, Visit visit, Exchange exchange);

// The drainage area as AccumulateDrainageArea counts it, each window's
// ring too.
std::vector<ZeroedVector<float>> AccumulateWindows(const PartWindows& parts,
                                                   const std::vector<ReceiverTree>& trees,
                                                   const RankLinks& links);

namespace window_passes {

// Calls take(window, cell) for the owned cells that may go now, and then
// after every round of exchanges for those the rings have let go, until no
// rank has a cell left. start(window) lists a window's first cells, and
// `freed(window, ring cell, push)` those a ring cell's being done lets go.
template <typename Start, typename Take, typename Freed, typename Exchange>
void InRounds(const PartWindows& parts, const RankLinks& links, Start start, Take take, Freed freed,
              Exchange exchange) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<std::vector<uint8_t>> done(windows.size());
    std::vector<std::vector<int32_t>> ready(windows.size());
    std::vector<std::vector<int32_t>> waiting(windows.size());  // ring cells not yet done
    int64_t left = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const PartWindow& window = windows[i];
        done[i].assign(static_cast<std::size_t>(window.size.Cells()), 0);
        for (int32_t x = 0; x < window.size.Width(); ++x) {
            for (int32_t y = 0; y < window.size.Height(); ++y) {
                const auto cell = static_cast<int32_t>(window.Index(x, y));
                if (window.Owns(x, y)) {
                    ++left;
                } else {
                    waiting[i].push_back(cell);
                }
            }
        }
        start(i, ready[i]);
    }
    for (;;) {
        int64_t taken = 0;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            while (!ready[i].empty()) {
                const int32_t cell = ready[i].back();
                ready[i].pop_back();
                take(i, cell, ready[i]);
                done[i][cell] = 1;
                ++taken;
            }
        }
        left -= taken;
        exchange();
        parts.Exchange(done, links);
        if (!links.Any(left > 0)) return;
        if (!links.Any(taken > 0)) throw std::logic_error("the water waits on itself across parts");
        for (std::size_t i = 0; i < windows.size(); ++i) {
            std::erase_if(waiting[i], [&](int32_t cell) {
                if (done[i][cell] == 0) return false;
                freed(i, cell, ready[i]);
                return true;
            });
        }
    }
}

}  // namespace window_passes

template <typename Visit, typename Exchange>
void DownstreamWindows(const PartWindows& parts, const std::vector<ReceiverTree>& trees,
                       const RankLinks& links, Visit visit, Exchange exchange) {
    const std::vector<PartWindow>& windows = parts.Windows();
    std::vector<std::vector<uint8_t>> donors(windows.size());
    const auto owned = [&](std::size_t i, int32_t cell) {
        const int32_t rows = windows[i].size.Height();
        return windows[i].Owns(cell / rows, cell % rows);
    };
    // A cell's receiver, where the window's part owns it.
    const auto ownedReceiver = [&](std::size_t i, int32_t cell) {
        if (trees[i].IsRoot(cell)) return -1;
        const int32_t receiver = trees[i].Receiver(cell);
        return owned(i, receiver) ? receiver : -1;
    };
    const auto give = [&](std::size_t i, int32_t cell, std::vector<int32_t>& ready) {
        const int32_t receiver = ownedReceiver(i, cell);
        if (receiver >= 0 && --donors[i][receiver] == 0) ready.push_back(receiver);
    };
    window_passes::InRounds(
        parts, links,
        [&](std::size_t i, std::vector<int32_t>& ready) {
            const PartWindow& window = windows[i];
            donors[i].assign(static_cast<std::size_t>(window.size.Cells()), 0);
            for (int32_t cell = 0; cell < window.size.Cells(); ++cell) {
                if (!owned(i, cell)) continue;
                donors[i][cell] = static_cast<uint8_t>(trees[i].Donors(cell));
                if (donors[i][cell] == 0) ready.push_back(cell);
            }
        },
        [&](std::size_t i, int32_t cell, std::vector<int32_t>& ready) {
            visit(i, cell);
            give(i, cell, ready);
        },
        give, exchange);
}

template <typename Visit, typename Exchange>
void UpstreamWindows(const PartWindows& parts, const std::vector<ReceiverTree>& trees,
                     const RankLinks& links, Visit visit, Exchange exchange) {
    const std::vector<PartWindow>& windows = parts.Windows();
    const auto owned = [&](std::size_t i, int32_t cell) {
        const int32_t rows = windows[i].size.Height();
        return windows[i].Owns(cell / rows, cell % rows);
    };
    // The donors the window's part owns wait for a cell.
    const auto give = [&](std::size_t i, int32_t cell, std::vector<int32_t>& ready) {
        trees[i].ForEachDonor(cell, [&](int32_t donor) {
            if (owned(i, donor)) ready.push_back(donor);
        });
    };
    window_passes::InRounds(
        parts, links,
        [&](std::size_t i, std::vector<int32_t>& ready) {
            for (int32_t cell = 0; cell < windows[i].size.Cells(); ++cell) {
                if (owned(i, cell) && trees[i].IsRoot(cell)) ready.push_back(cell);
            }
        },
        [&](std::size_t i, int32_t cell, std::vector<int32_t>& ready) {
            visit(i, cell);
            give(i, cell, ready);
        },
        give, exchange);
}

}  // namespace morvik
