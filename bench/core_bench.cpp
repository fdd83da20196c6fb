// Benchmarks of the core: making the DATA statement text, writing and reading a
// picture file, and reading large junk files. The files are made once, on first use,
// in a private temporary folder that is removed when the run ends.

#include "benchsupport.h"
#include "dotdata/datatext.h"
#include "dotdata/picture.h"
#include "dotdata/picturefile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kJunkBytes = 100000000; // 100 MB

fs::path &scratchFolder()
{
    static fs::path folder;
    return folder;
}

const fs::path &scratch()
{
    fs::path &folder = scratchFolder();
    if (folder.empty()) {
        std::string pattern = (fs::temp_directory_path() / "dotdata-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        folder = pattern;
    }
    return folder;
}

bool &syncSkipped()
{
    static bool skipped = false;
    return skipped;
}

} // namespace

// Linked ahead of the C library's, so the core's saves call this one. It passes the
// call on unless a benchmark asks for saves without fsync.
extern "C" int fsync(int fd)
{
    if (syncSkipped())
        return 0;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

const dotdata::Picture::Table &variedTable()
{
    static const dotdata::Picture::Table table = [] {
        dotdata::Picture::Table t {};
        for (std::size_t i = 0; i < dotdata::kCells; ++i)
            t[i] = static_cast<std::int16_t>((i * 7 + i / 32) % 10);
        return t;
    }();
    return table;
}

// Writes size bytes made by next() to a new file in the scratch folder.
template<typename Next>
fs::path makeFile(const char *name, std::size_t size, Next next)
{
    const fs::path path = scratch() / name;
    dotdata::bench::writeGenerated(path, size, next);
    return path;
}

// Random bytes with no comma and no line end: the whole file is one record.
const fs::path &junkWithoutRecordEnds()
{
    static const fs::path path = makeFile(
        "junk-one-record", kJunkBytes, dotdata::bench::oneRecordJunk());
    return path;
}

// 1000 records of 64 KiB random bytes each: the whole file is read and succeeds.
const fs::path &junkLongRecords()
{
    static const fs::path path = makeFile(
        "junk-long-records", 1000u << 16, [rng = std::mt19937(2), i = 0u]() mutable {
            const auto c = static_cast<char>(rng() & 0xFF);
            const bool end = ++i % (1u << 16) == 0;
            return end ? '\n' : c == ',' || c == '\r' || c == '\n' ? 'x' : c;
        });
    return path;
}

// Random bytes where about one in four is a comma or a line end: far more than 1025
// records, so the reader stops soon after the start.
const fs::path &junkShortRecords()
{
    static const fs::path path = makeFile(
        "junk-short-records", kJunkBytes, [rng = std::mt19937(3)]() mutable {
            const std::uint32_t r = rng();
            static constexpr char kEnds[] = {',', '\r', '\n', '"'};
            return (r & 0x300) == 0 ? kEnds[r & 3] : static_cast<char>(r & 0xFF);
        });
    return path;
}

void BM_MakeText(benchmark::State &state)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto lines = dotdata::makeRowLines(variedTable(), "5000");
        const std::string text = dotdata::joinLines(lines.value());
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_MakeText);

// The kind of file system the scratch folder is on: an fsync on tmpfs costs nothing, so
// the saves are only telling on the disk that pictures are kept on (choose it with TMPDIR).
std::string fileSystemOf(const fs::path &folder)
{
    struct statfs info
    { };
    if (::statfs(folder.c_str(), &info) != 0)
        return "unknown";
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
        return "ext4";
    case 0x01021994:
        return "tmpfs";
    case 0x9123683E:
        return "btrfs";
    case 0x58465342:
        return "xfs";
    case 0x794C7630:
        return "overlayfs";
    }
    char name[32];
    std::snprintf(name, sizeof name, "0x%lx", static_cast<unsigned long>(info.f_type));
    return name;
}

// A save with and without its two fsync calls (the file's and the folder's). Without:
// this program's own fsync, below, stands in for the C library's and does nothing,
// so the rest of the save (temporary file, write, rename) is timed alone.
void BM_SavePictureFile(benchmark::State &state)
{
    syncSkipped() = state.range(0) == 0;
    const fs::path path = scratch() / "saved.dat";
    for (auto _ : state) {
        if (const dotdata::Status written = dotdata::writePictureFile(path, variedTable());
            !written) {
            state.SkipWithError(written.error().message.c_str());
            break;
        }
    }
    syncSkipped() = false;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 5120);
    state.SetLabel("on " + fileSystemOf(scratch()));
}
BENCHMARK(BM_SavePictureFile)->ArgName("fsync")->Arg(0)->Arg(1)->UseRealTime();

// Reads a file as often as the benchmark asks, checking the outcome each time;
// reports bytes/s over the file's size when countBytes is set.
void readRepeatedly(benchmark::State &state, const fs::path &path, bool expectOk, bool countBytes)
{
    for (auto _ : state) {
        const dotdata::Result<dotdata::PictureRecords> read = dotdata::readPictureFile(path);
        if (read.ok() != expectOk) {
            state.SkipWithError(read.ok() ? "the read succeeded" : read.error().message.c_str());
            return;
        }
        if (read.ok())
            benchmark::DoNotOptimize(read.value().count);
    }
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    if (countBytes)
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
    state.counters["file_bytes"] = static_cast<double>(size);
}

const fs::path &pictureFile()
{
    static const fs::path path = [] {
        const fs::path p = scratch() / "picture.dat";
        if (!dotdata::writePictureFile(p, variedTable()))
            throw std::runtime_error("cannot write " + p.string());
        return p;
    }();
    return path;
}

void BM_ReadPictureFile(benchmark::State &state)
{
    readRepeatedly(state, pictureFile(), true, true);
}
BENCHMARK(BM_ReadPictureFile)->UseRealTime();

// What the load command does with the file: read it, then store it into a picture.
void BM_LoadPictureFile(benchmark::State &state)
{
    dotdata::Picture picture;
    for (auto _ : state) {
        const dotdata::Result<dotdata::PictureRecords> read = dotdata::readPictureFile(
            pictureFile());
        if (!read) {
            state.SkipWithError(read.error().message.c_str());
            break;
        }
        read.value().applyTo(picture);
        benchmark::DoNotOptimize(picture.table().data());
    }
}
BENCHMARK(BM_LoadPictureFile)->UseRealTime();

void BM_ReadJunkOneRecord(benchmark::State &state)
{
    readRepeatedly(state, junkWithoutRecordEnds(), true, true);
}
BENCHMARK(BM_ReadJunkOneRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadJunkLongRecords(benchmark::State &state)
{
    readRepeatedly(state, junkLongRecords(), true, true);
}
BENCHMARK(BM_ReadJunkLongRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reader fails at record 1026, so time is what counts here, not bytes/s: it must
// not grow with the file's 100 MB.
void BM_ReadJunkShortRecords(benchmark::State &state)
{
    readRepeatedly(state, junkShortRecords(), false, false);
}
BENCHMARK(BM_ReadJunkShortRecords)->UseRealTime();

// The record splitting itself on short records: 1025 records of the junk above,
// parsed in memory by a fresh parser each time.
void BM_ParseShortRecords(benchmark::State &state)
{
    std::string text;
    {
        std::ifstream in(junkShortRecords(), std::ios::binary);
        text.resize(64u << 10);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        dotdata::RecordParser probe;
        for (std::size_t n = 0; n < text.size(); ++n) {
            if (!probe.feed(std::string_view(text).substr(n, 1))) {
                text.resize(n); // exactly 1025 records
                break;
            }
        }
    }
    for (auto _ : state) {
        dotdata::RecordParser parser;
        if (!parser.feed(text) || !parser.finish() || parser.records().count != dotdata::kEntries) {
            state.SkipWithError("the records did not come out as 1025");
            break;
        }
        benchmark::DoNotOptimize(parser.records().values.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseShortRecords);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    int status = 0;
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "core_bench: %s\n", e.what());
        status = 1;
    }
    benchmark::Shutdown();
    if (!scratchFolder().empty()) {
        std::error_code ec;
        fs::remove_all(scratchFolder(), ec);
    }
    return status;
}
