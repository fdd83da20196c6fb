// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <fstream>
#include <string>

#include <sys/types.h>

namespace dotdata::bench {

/// VmHWM, the peak resident set of a running process, in KiB; -1 when it cannot be read.
inline long peakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace dotdata::bench
