// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Saves a picture file over and over, for kill_saves.sh: a save killed at any moment, or
// racing other saves, must leave the target whole (some complete picture) and nothing
// else behind. Every picture saved is one colour all over, so any whole file is one of
// eight texts and a torn or partial one is none of them.
//
//   save_loop FILE COUNT FIRST [named]   saves COUNT pictures (0: until killed), colours
//                                        FIRST, FIRST+1...; "named": as where the file
//                                        system has no unnamed temporary files
//   save_loop --check FILE               exits 0 when FILE holds a whole picture

#include "dotdata/fileio.h"
#include "dotdata/picturefile.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool g_noUnnamedFiles = false;

} // namespace

// Linked ahead of the C library's, so the core's saves call this one: it refuses
// O_TMPFILE as a file system without unnamed files does, when asked to.
extern "C" int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const auto mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
    if (g_noUnnamedFiles && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

namespace {

std::string pictureText(int colour)
{
    dotdata::Picture::Table table {};
    table.fill(static_cast<std::int16_t>(colour % dotdata::kPaletteSize));
    return dotdata::pictureFileText(table);
}

int check(const char *file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes {std::istreambuf_iterator<char>(in), {}};
    for (int colour = 0; colour < dotdata::kPaletteSize; ++colour) {
        if (in && bytes == pictureText(colour))
            return 0;
    }
    std::fprintf(stderr, "save_loop: %s is not a whole picture (%s, %zu bytes)\n", file,
        in ? "read" : "cannot be read", bytes.size());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--check") == 0)
        return check(argv[2]);
    if (argc != 4 && !(argc == 5 && std::strcmp(argv[4], "named") == 0)) {
        std::fprintf(
            stderr, "usage: save_loop FILE COUNT FIRST [named] | save_loop --check FILE\n");
        return 2;
    }
    g_noUnnamedFiles = argc == 5;
    const long count = std::strtol(argv[2], nullptr, 10);
    const int first = std::atoi(argv[3]);
    for (long i = 0; count == 0 || i < count; ++i) {
        dotdata::Picture::Table table {};
        table.fill(static_cast<std::int16_t>((first + i) % dotdata::kPaletteSize));
        const std::string text = dotdata::pictureFileText(table);
        if (const dotdata::Status saved = dotdata::writeFileAtomically(argv[1], text); !saved) {
            std::fprintf(stderr, "save_loop: the save failed (%s)\n",
                std::strerror(saved.error().systemError));
            return 1;
        }
    }
    return 0;
}
