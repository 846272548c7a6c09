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

bool RankGroup::All(bool yes) const {
    int64_t vote = yes ? 1 : 0;
    Least(std::span(&vote, 1));
    return vote == 1;
}

}  // namespace morvik
