// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// What the core's reading and saving of files share; not part of its interface.

#include "dotdata/error.h"

#include <filesystem>
#include <utility>

#include <unistd.h>

namespace dotdata::detail {

/// A file descriptor that closes itself.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) { }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }

    int get() const { return m_fd; }
    /// Closes now so that a failing close can be reported.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

inline Error fileError(ErrorKind kind, const std::filesystem::path &path, int error = 0)
{
    return {.kind = kind, .file = path, .systemError = error};
}

} // namespace dotdata::detail
