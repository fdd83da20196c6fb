#pragma once

// Helpers shared by the benchmark programs: writing generated files, the junk that
// makes the reader go through a whole file as one record, and peak memory.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace dotdata::bench {

/// Writes size bytes made by next() to path, in blocks of 1 MiB.
template<typename Next>
void writeGenerated(const std::filesystem::path &path, std::size_t size, Next next)
{
    std::ofstream out(path, std::ios::binary);
    std::string block(1u << 20, '\0');
    for (std::size_t written = 0; written < size; written += block.size()) {
        block.resize(std::min(block.size(), size - written));
        for (char &c : block)
            c = next();
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

/// Random bytes with no comma and no line end: a file of them is one record.
inline auto oneRecordJunk()
{
    return [rng = std::mt19937(1)]() mutable {
        const auto c = static_cast<char>(rng() & 0xFF);
        return c == ',' || c == '\r' || c == '\n' ? 'x' : c;
    };
}

/// VmHWM, the peak resident set, of a process ("self" or a process id), in KiB;
/// -1 when it cannot be read.
inline long peakResidentKiB(const std::string &process = "self")
{
    std::ifstream status("/proc/" + process + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:"))
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace dotdata::bench
