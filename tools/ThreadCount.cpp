#include "tools/ThreadCount.h"

#include <sched.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

#include "tools/SystemText.h"

namespace morvik {

namespace {

// The process's cgroup (v2), as /proc/self/cgroup names it: "0::/PATH".
std::optional<std::string> OwnCgroup() {
    std::ifstream file("/proc/self/cgroup");
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("0::/")) return line.substr(3);
    }
    return std::nullopt;
}

// The tightest quota of the process's cgroup and those above it.
std::optional<int32_t> CgroupThreads() {
    std::optional<std::string> cgroup = OwnCgroup();
    if (!cgroup) return std::nullopt;
    std::optional<int32_t> fewest;
    for (std::string path = *cgroup;;) {
        std::ifstream file("/sys/fs/cgroup" + (path == "/" ? std::string() : path) + "/cpu.max");
        std::string line;
        if (std::getline(file, line)) {
            if (const std::optional<int32_t> threads = QuotaThreads(line)) {
                fewest = std::min(fewest.value_or(*threads), *threads);
            }
        }
        if (path == "/") return fewest;
        const std::size_t slash = path.rfind('/');
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

}  // namespace

std::optional<int32_t> QuotaThreads(std::string_view cpuMax) {
    while (!cpuMax.empty() && (cpuMax.back() == '\n' || cpuMax.back() == ' ')) {
        cpuMax.remove_suffix(1);
    }
    const std::size_t space = cpuMax.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::optional<int64_t> quota = WholeNumber(cpuMax.substr(0, space));
    const std::optional<int64_t> period = WholeNumber(cpuMax.substr(space + 1));
    if (!quota || !period || *quota <= 0 || *period <= 0) return std::nullopt;
    return static_cast<int32_t>(
        std::clamp<int64_t>((*quota + *period - 1) / *period, 1, INT32_MAX));
}

int32_t MachineThreads() {
    int32_t threads = static_cast<int32_t>(std::max(1U, std::thread::hardware_concurrency()));
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) threads = CPU_COUNT(&allowed);
    if (const std::optional<int32_t> quota = CgroupThreads()) threads = std::min(threads, *quota);
    return std::max(threads, 1);
}

}  // namespace morvik
