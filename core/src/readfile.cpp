// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/fileio.h"

#include "posixfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {

using detail::FileDescriptor;
using detail::fileError;

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

    // Read straight into the result, sized by the file and grown for one that grows.
    std::string bytes(std::size_t(info.st_size) + 1, '\0');
    std::size_t length = 0;
    for (;;) {
        if (length == bytes.size())
            bytes.resize(bytes.size() + 64 * 1024);
        const ssize_t n = ::read(file.get(), bytes.data() + length, bytes.size() - length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fileError(ErrorKind::CannotRead, path, errno);
        }
        if (n == 0) {
            bytes.resize(length);
            return bytes;
        }
        length += std::size_t(n);
        // A file that grows while it is read, or whose size the system does not report
        // (as in /proc), is stopped at the same bound.
        if (std::int64_t(length) > kMaxInputBytes)
            return fileError(ErrorKind::TooLarge, path);
    }
}

} // namespace dotdata
