// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/fileio.h"

#include "posixfile.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {

using detail::FileDescriptor;
using detail::fileError;

namespace {

// Reads to the end, or to one byte past the bound. sizeHint: what the file says it holds.
Result<std::string> readBounded(int fd, const std::filesystem::path &name, std::size_t sizeHint)
{
    // Read straight into the result, sized by the file and grown for one that grows.
    std::string bytes(sizeHint + 1, '\0');
    std::size_t length = 0;
    for (;;) {
        if (length == bytes.size())
            bytes.resize(bytes.size() + 64 * 1024);
        const ssize_t n = ::read(fd, bytes.data() + length, bytes.size() - length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // A pipe left non-blocking by whoever shares it: wait for its data, as a
            // blocking read would have.
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd ready = {.fd = fd, .events = POLLIN, .revents = 0};
                if (::poll(&ready, 1, -1) >= 0 || errno == EINTR)
                    continue;
            }
            return fileError(ErrorKind::CannotRead, name, errno);
        }
        if (n == 0) {
            bytes.resize(length);
            return bytes;
        }
        length += std::size_t(n);
        // A file that grows while it is read, or whose size the system does not report
        // (as in /proc), or a pipe, is stopped at the same bound.
        if (std::int64_t(length) > kMaxInputBytes)
            return fileError(ErrorKind::TooLarge, name);
    }
}

} // namespace

Result<std::string> readInputFile(const std::filesystem::path &path)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fileError(ErrorKind::CannotOpen, path, errno);
    FileDescriptor file(fd);
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return fileError(ErrorKind::CannotOpen, path, errno);
    if (S_ISDIR(info.st_mode))
        return fileError(ErrorKind::CannotOpen, path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return fileError(ErrorKind::NotAFile, path);
    if (info.st_size > kMaxInputBytes)
        return fileError(ErrorKind::TooLarge, path);
    return readBounded(file.get(), path, std::size_t(info.st_size));
}

Result<std::string> readStream(int fd, const std::filesystem::path &name)
{
    return readBounded(fd, name, 0);
}

} // namespace dotdata
