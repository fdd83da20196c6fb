// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Benchmarks of the core: making the DATA statement text, saving, loading and reading
// picture files, and reading large junk files. The files are made on first use in a
// private folder under the temporary directory (TMPDIR), which is removed when the run
// ends; the saves go to whatever disk that folder is on.

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
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path g_folder;

// Writes size bytes made by next() to a new file in the folder.
template<typename Next>
fs::path makeFile(const char *name, std::size_t size, Next next)
{
    const fs::path path = g_folder / name;
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
    return path;
}

// A random byte that is neither a comma nor a line end, nor a NUL (which makes a file
// binary data).
char inRecord(std::uint32_t r)
{
    const auto c = static_cast<char>(r & 0xFF);
    return c == ',' || c == '\r' || c == '\n' || c == '\0' ? 'x' : c;
}

// Reads a file as the program does: told apart by its content, a picture file here.
dotdata::Result<dotdata::PictureRecords> readInput(const fs::path &path)
{
    const dotdata::Result<std::string> bytes = dotdata::readInputFile(path);
    if (!bytes)
        return bytes.error();
    return dotdata::readTextInput(bytes.value());
}

const dotdata::Picture::Table kTable = [] {
    dotdata::Picture::Table t {};
    for (std::size_t i = 0; i < dotdata::kCells; ++i)
        t[i] = static_cast<std::int16_t>((i * 7 + i / 32) % 8);
    return t;
}();

const fs::path &pictureFile()
{
    static const std::string text = dotdata::pictureFileText(kTable);
    static const fs::path path = makeFile(
        "picture.dat", text.size(), [i = 0u]() mutable { return text[i++]; });
    return path;
}

// The largest file read (16 MiB) without a comma or a line end: one record, which the
// reader goes through.
const fs::path &junkOneRecord()
{
    static const fs::path path = makeFile("junk-one-record", dotdata::kMaxInputBytes,
        [rng = std::mt19937(1)]() mutable { return inRecord(rng()); });
    return path;
}

// 256 records of 64 KiB each, 16 MiB: the whole file is read and succeeds.
const fs::path &junkLongRecords()
{
    static const fs::path path = makeFile(
        "junk-long-records", 256u << 16, [rng = std::mt19937(2), i = 0u]() mutable {
            return ++i % (1u << 16) == 0 ? '\n' : inRecord(rng());
        });
    return path;
}

// 16 MiB where about one byte in four ends a record or opens a quote: far more than
// 1025 records, so the parser stops soon after the start.
const fs::path &junkShortRecords()
{
    static const fs::path path = makeFile(
        "junk-short-records", dotdata::kMaxInputBytes, [rng = std::mt19937(3)]() mutable {
            const std::uint32_t r = rng();
            return (r & 0x300) == 0 ? ",\r\n\""[r & 3] : static_cast<char>(r & 0xFF);
        });
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

// The whole atomic save, with the fsync of the file and of its folder.
void BM_SavePictureFile(benchmark::State &state)
{
    const fs::path path = g_folder / "saved.dat";
    for (auto _ : state) {
        const std::string text = dotdata::pictureFileText(kTable);
        if (const dotdata::Status saved = dotdata::writeFileAtomically(path, text); !saved) {
            state.SkipWithError("the save failed");
            return;
        }
    }
}
BENCHMARK(BM_SavePictureFile)->UseRealTime();

// Reads a file again and again, checking that it is read (and, with load, stored into a
// picture, as the load command does), or refused when readable is false.
void BM_Read(benchmark::State &state, const fs::path &(*file)(), bool readable, bool load)
{
    const fs::path &path = file();
    dotdata::Picture picture;
    for (auto _ : state) {
        const auto records = readInput(path);
        if (records.ok() != readable) {
            state.SkipWithError(records.ok() ? "the read succeeded" : "the read failed");
            return;
        }
        if (load)
            records.value().applyTo(picture);
        benchmark::DoNotOptimize(records);
    }
    if (readable)
        state.SetBytesProcessed(
            state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK_CAPTURE(BM_Read, picture_file, pictureFile, true, false)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, load_picture_file, pictureFile, true, true)->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, junk_one_record, junkOneRecord, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Read, junk_long_records, junkLongRecords, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Refused at record 1026: the time must stay small and not grow with the file.
BENCHMARK_CAPTURE(BM_Read, junk_short_records, junkShortRecords, false, false)->UseRealTime();

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
    int status = 0;
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "core_bench: %s\n", e.what());
        status = 1;
    }
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_folder, ignored);
    return status;
}
