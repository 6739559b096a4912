#include "FileSizeLimit.h"

#include <csignal>
#include <stdexcept>

FileSizeLimit::FileSizeLimit(uint64_t limitBytes) {
    if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0) throw std::runtime_error("getrlimit failed");
    rlimit lowered = previous_;
    lowered.rlim_cur = static_cast<rlim_t>(limitBytes);
    if (previous_.rlim_max != RLIM_INFINITY && lowered.rlim_cur > previous_.rlim_max)
        lowered.rlim_cur = previous_.rlim_max;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0) {
        std::signal(SIGXFSZ, previousHandler_);
        throw std::runtime_error("setrlimit failed");
    }
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}
