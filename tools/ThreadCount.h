#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace morvik {

// The threads this process may keep busy at once: the cores it may run on
// (taskset, a container's CPU set), no more than its cgroup's CPU quota
// allows (cpu.max, here or in a cgroup above), and 1 at least.
int32_t MachineThreads();

// The threads a cgroup's cpu.max ("QUOTA PERIOD", or "max PERIOD" for no
// limit) allows, the quota's share of a CPU rounded up; none without one.
std::optional<int32_t> QuotaThreads(std::string_view cpuMax);

}  // namespace morvik
