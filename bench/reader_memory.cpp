// Peak memory of the picture file reader: the peak resident set (VmHWM) of a fresh
// process that reads an empty file, against one that reads a large junk file.
// Each read runs in its own process, started anew from this program, so that one
// read's peak cannot hide another's.
//
//   reader_memory [megabytes]      makes the files, runs both reads, prints a table
//   reader_memory --read FILE      (internal) reads FILE and prints its own VmHWM

#include "benchsupport.h"
#include "dotdata/picturefile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

namespace {

int readOne(const char *file)
{
    const auto start = std::chrono::steady_clock::now();
    const dotdata::Result<dotdata::PictureRecords> read = dotdata::readPictureFile(file);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%ld %s %.6f\n", dotdata::bench::peakResidentKiB(), read ? "read" : "refused",
        took.count());
    return 0;
}

struct Reading
{
    long peakKiB = 0;
    std::string outcome;
    double seconds = 0;
};

Reading readInChild(const fs::path &file)
{
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string name = file.string();
    char *argv[] = {const_cast<char *>(self.c_str()), const_cast<char *>("--read"),
        const_cast<char *>(name.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0)
        throw std::runtime_error("cannot start " + self);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    Reading r;
    char outcome[16] = {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(text.c_str(), "%ld %15s %lf", &r.peakKiB, outcome, &r.seconds) != 3)
        throw std::runtime_error("the reading process failed: " + text);
    r.outcome = outcome;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0)
        return readOne(argv[2]);

    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    std::string pattern = (fs::temp_directory_path() / "dotdata-memory-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("reader_memory: mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    int status = 0;
    try {
        const fs::path empty = folder / "empty.dat";
        const fs::path junk = folder / "junk.dat";
        std::ofstream {empty};
        // The same junk as core_bench: the reader must go through all of it as one record.
        dotdata::bench::writeGenerated(junk, megabytes * 1000000, dotdata::bench::oneRecordJunk());
        readInChild(junk); // once to bring the file into the page cache

        const Reading base = readInChild(empty);
        if (base.outcome != "read")
            throw std::runtime_error("the empty file was refused");
        std::printf(
            "%-10s %12s %9s %10s %12s\n", "file", "bytes", "outcome", "VmHWM KiB", "vs empty KiB");
        std::printf(
            "%-10s %12d %9s %10ld %12s\n", "empty", 0, base.outcome.c_str(), base.peakKiB, "-");
        const Reading big = readInChild(junk);
        if (big.outcome != "read")
            throw std::runtime_error("the junk file was refused");
        std::printf("%-10s %12zu %9s %10ld %+12ld   %.0f MB/s\n", "junk", megabytes * 1000000,
            big.outcome.c_str(), big.peakKiB, big.peakKiB - base.peakKiB,
            static_cast<double>(megabytes) / big.seconds);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "reader_memory: %s\n", e.what());
        status = 1;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return status;
}
