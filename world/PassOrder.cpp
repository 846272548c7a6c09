#include "world/PassOrder.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "components/ReducedImage/ColourReduction.h"

namespace morvik {

PassOrder OrderOfFirstPositions(std::span<const int64_t> first, int64_t width) {
    std::vector<std::pair<int64_t, int32_t>> met;  // position, cell
    for (std::size_t cell = 0; cell < first.size(); ++cell) {
        if (first[cell] != INT64_MAX) met.emplace_back(first[cell], static_cast<int32_t>(cell));
    }
    std::sort(met.begin(), met.end());
    std::size_t counted = met.size();
    if (counted > kMostCounted) {
        const int64_t lastRow = met[kMostCounted].first / width;
        counted = kMostCounted + 1;
        while (counted < met.size() && met[counted].first / width == lastRow) ++counted;
    }
    PassOrder order{static_cast<int32_t>(counted), std::vector<int32_t>(first.size(), -1)};
    for (std::size_t index = 0; index < counted; ++index) {
        order.indexOf[static_cast<std::size_t>(met[index].second)] = static_cast<int32_t>(index);
    }
    return order;
}

}  // namespace morvik
