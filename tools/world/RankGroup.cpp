#include "tools/world/RankGroup.h"

#include <mpi.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace morvik {

namespace {

void Check(int result, const char* what) {
    if (result != MPI_SUCCESS) throw std::runtime_error(std::string("MPI could not ") + what);
}

// In pieces MPI's int counts can take.
template <typename Value>
void Reduce(std::span<Value> values, MPI_Datatype type, MPI_Op operation) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    for (std::size_t first = 0; first < values.size(); first += kPiece) {
        const auto count = static_cast<int>(std::min(kPiece, values.size() - first));
        Check(MPI_Allreduce(MPI_IN_PLACE, values.data() + first, count, type, operation,
                            MPI_COMM_WORLD),
              "gather the ranks' numbers");
    }
}

}  // namespace

RankGroup::RankGroup(int* argc, char*** argv) {
    Check(MPI_Init(argc, argv), "start");
    int rank = 0;
    int ranks = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    rank_ = rank;
    ranks_ = ranks;
}

RankGroup::~RankGroup() { MPI_Finalize(); }

void RankGroup::Least(std::span<int64_t> values) const { Reduce(values, MPI_INT64_T, MPI_MIN); }
void RankGroup::Most(std::span<int64_t> values) const { Reduce(values, MPI_INT64_T, MPI_MAX); }
void RankGroup::Sum(std::span<int64_t> values) const { Reduce(values, MPI_INT64_T, MPI_SUM); }
void RankGroup::Most(std::span<uint8_t> values) const { Reduce(values, MPI_UINT8_T, MPI_MAX); }

int64_t RankGroup::FromFirst(int64_t value) const {
    Check(MPI_Bcast(&value, 1, MPI_INT64_T, 0, MPI_COMM_WORLD), "share the first rank's number");
    return value;
}

std::vector<std::vector<std::byte>> RankGroup::Swap(
    std::vector<std::vector<std::byte>> toEach) const {
    std::vector<int> sendCounts(static_cast<std::size_t>(ranks_));
    std::vector<int> sendAt(sendCounts.size());
    std::vector<std::byte> sent;
    for (std::size_t rank = 0; rank < sendCounts.size(); ++rank) {
        if (toEach[rank].size() > static_cast<std::size_t>(INT_MAX) - sent.size()) {
            throw std::runtime_error("a rank's cells to send are more than MPI counts");
        }
        sendAt[rank] = static_cast<int>(sent.size());
        sendCounts[rank] = static_cast<int>(toEach[rank].size());
        sent.insert(sent.end(), toEach[rank].begin(), toEach[rank].end());
        std::vector<std::byte>().swap(toEach[rank]);
    }
    std::vector<int> receiveCounts(sendCounts.size());
    Check(MPI_Alltoall(sendCounts.data(), 1, MPI_INT, receiveCounts.data(), 1, MPI_INT,
                       MPI_COMM_WORLD),
          "tell the ranks how much each sends");
    std::vector<int> receiveAt(receiveCounts.size());
    int64_t total = 0;
    for (std::size_t rank = 0; rank < receiveCounts.size(); ++rank) {
        if (total + receiveCounts[rank] > INT_MAX) {
            throw std::runtime_error("a rank's cells to receive are more than MPI counts");
        }
        receiveAt[rank] = static_cast<int>(total);
        total += receiveCounts[rank];
    }
    std::vector<std::byte> received(static_cast<std::size_t>(total));
    Check(MPI_Alltoallv(sent.data(), sendCounts.data(), sendAt.data(), MPI_BYTE, received.data(),
                        receiveCounts.data(), receiveAt.data(), MPI_BYTE, MPI_COMM_WORLD),
          "send the ranks their cells");
    std::vector<std::vector<std::byte>> fromEach(receiveCounts.size());
    for (std::size_t rank = 0; rank < fromEach.size(); ++rank) {
        const auto first = received.begin() + receiveAt[rank];
        fromEach[rank].assign(first, first + receiveCounts[rank]);
    }
    return fromEach;
}

bool RankGroup::Any(bool yes) const {
    int64_t vote = yes ? 1 : 0;
    Most(std::span(&vote, 1));
    return vote == 1;
}

bool RankGroup::All(bool yes) const {
    int64_t vote = yes ? 1 : 0;
    Least(std::span(&vote, 1));
    return vote == 1;
}

}  // namespace morvik
