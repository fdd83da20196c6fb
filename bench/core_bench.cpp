// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Benchmarks of the core: making the DATA statement text, and reading a picture file and
// the largest input (16 MiB) as the program reads any file. The files are made on first
// use in a private folder under the temporary directory (TMPDIR), removed at the end.

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/input.h"
#include "dotdata/picture.h"
#include "dotdata/picturefile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path g_folder;

fs::path makeFile(const char *name, const std::string &bytes)
{
    const fs::path path = g_folder / name;
    std::ofstream out(path, std::ios::binary);
    // A file not written whole is not used: reading no path fails the benchmark's check.
    return out.write(bytes.data(), std::ssize(bytes)).flush() ? path : fs::path();
}

const dotdata::Picture::Table kTable = [] {
    dotdata::Picture::Table t {};
    for (std::size_t i = 0; i < dotdata::kCells; ++i)
        t[i] = static_cast<std::int16_t>((i * 7 + i / 32) % 8);
    return t;
}();

const fs::path &pictureFile()
{
    static const fs::path path = makeFile("picture.dat", dotdata::pictureFileText(kTable));
    return path;
}

// The largest input (16 MiB) of random bytes without a comma, a line end or a NUL (which
// would make it binary data): one record, which the reader goes through to the end.
const fs::path &junkOneRecord()
{
    static const fs::path path = [] {
        std::string bytes(dotdata::kMaxInputBytes, 'x');
        std::mt19937 rng(1);
        for (char &c : bytes) {
            c = static_cast<char>(rng() & 0xFF);
            if (c == ',' || c == '\r' || c == '\n' || c == '\0')
                c = 'x';
        }
        return makeFile("junk-one-record", bytes);
    }();
    return path;
}

void BM_MakeText(benchmark::State &state)
{
    for (auto _ : state) {
        const std::string text = dotdata::joinLines(dotdata::makeRowLines(kTable, "5000").value());
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_MakeText);

// Reads a file as the program does (whole, told apart by its content, then parsed) again
// and again, checking that it is read.
void BM_Read(benchmark::State &state, const fs::path &(*file)())
{
    const fs::path &path = file();
    for (auto _ : state) {
        const auto bytes = dotdata::readInputFile(path);
        const auto records = bytes ? dotdata::readTextInput(bytes.value()) : bytes.error();
        if (!records) {
            state.SkipWithError("the read failed");
            return;
        }
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK_CAPTURE(BM_Read, picture_file, pictureFile)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, junk_one_record, junkOneRecord)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::string folder = fs::temp_directory_path() / "dotdata-bench-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("core_bench: mkdtemp");
        return 1;
    }
    g_folder = folder;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_folder, ignored);
    return 0;
}
