// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dotdata {

/// The largest input file read: 16 MiB. A picture file as written is 5120 bytes and its
/// DATA text 1.4 KB; the largest image dotdata writes (2048 x 2048 pixels, 12 MiB as a
/// BMP) still fits, and reading that much takes milliseconds, so the window never freezes
/// on a file picked by mistake.
inline constexpr std::int64_t kMaxInputBytes = 16 * 1024 * 1024;

/// The bytes of a regular file of at most kMaxInputBytes (TooLarge beyond, also for a
/// file that grows while read).
Result<std::string> readInputFile(const std::filesystem::path &path);

/// The bytes of an open descriptor of any kind (a pipe too), to its end and at most
/// kMaxInputBytes; errors name the input as `name`.
Result<std::string> readStream(int fd, const std::filesystem::path &name);

/// Writes a file atomically: a temporary file in the same folder is written, synced and
/// renamed over the target, so on failure the old file is intact. The temporary file has
/// no name until it is complete (where the file system allows), so a save killed midway
/// leaves nothing behind. A symbolic link as target has the file it points to replaced,
/// but only where the kernel lets this process open the file through the link for
/// writing. Only a regular file that may be written is replaced; the new file takes the
/// old one's owner (when root) and its read, write and execute bits.
Status writeFileAtomically(const std::filesystem::path &path, std::string_view bytes);

} // namespace dotdata
