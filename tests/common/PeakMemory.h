#pragma once
// How much memory one step of a test takes at its highest: the process's peak resident size is restarted
// from the present before the step and read after it. Needs nothing of the page library.
#include <cstdint>
#include <fstream>
#include <string>

namespace testpages {

// A size field of /proc/self/status in kB; 0 when there is none.
inline int64_t processStatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1));
    return 0;
}

// How far the resident size rose above its level before step while step ran, at its highest, in kB; -1
// when the kernel does not let the peak be restarted.
template <class Step> int64_t peakMemoryRiseKb(Step&& step) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const int64_t before = processStatusKb("VmHWM");
    if (before > processStatusKb("VmRSS") + 1024) return -1;
    step();
    return processStatusKb("VmHWM") - before;
}

} // namespace testpages
