// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/picture.h"
#include "dotdata/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dotdata {

/// The text of a picture file for a table: for entries 0..1023 the number image,
/// one blank and CR LF. Entry 1024 is never written.
std::string pictureFileText(const Picture::Table &table);

/// Writes the picture file atomically: a temporary file in the same folder is
/// written, synced and renamed over the target, so on failure the old file is
/// intact. The temporary file has no name until it is complete (where the file system
/// allows), so a save killed midway leaves nothing behind. A symbolic link as target has
/// the file it points to replaced, but only where the kernel lets this process open the
/// file through the link for writing. The new file takes the old one's owner (when
/// root) and its read, write and execute bits.
Status writePictureFile(const std::filesystem::path &path, const Picture::Table &table);

/// Writes any file the way a picture file is written.
Status writeFileAtomically(const std::filesystem::path &path, std::string_view bytes);

/// Records read from a picture file, in file order; at most kEntries of them.
struct PictureRecords
{
    std::array<std::int16_t, kEntries> values {};
    int count = 0;

    /// Stores the records into entries 0..count-1; later entries keep their values.
    void applyTo(Picture &picture) const;
};

/// Splits picture file text into records, fed in chunks of any size, in constant
/// memory. A record ends at a comma or a line end (CR LF, LF or CR; an empty line is
/// an empty record). Blanks and tabs before a record are skipped; a record beginning
/// with a double quote runs to the next double quote (an unterminated one to the end
/// of the input). Only a record's first character counts: a digit gives its value,
/// anything else 0.
class RecordParser
{
public:
    /// Feeds more text. Fails with TooManyRecords as soon as a record past entry 1024
    /// begins; after a failure the parser takes no more input.
    Status feed(std::string_view chunk);
    /// Ends the input; a record that has begun counts.
    Status finish();

    const PictureRecords &records() const { return m_records; }

private:
    enum class State { RecordStart, InRecord, InQuote, AfterQuote, AfterCr };
    void push(std::int16_t value);

    PictureRecords m_records;
    State m_state = State::RecordStart;
    bool m_recordBegun = false;
    bool m_quoteHasFirst = false;
    std::int16_t m_value = 0;
    bool m_failed = false;
};

/// The largest input file read: 16 MiB. A picture file as written is 5120 bytes and its
/// DATA text 1.4 KB; the largest image dotdata writes (2048 x 2048 pixels, 12 MiB as a
/// BMP) still fits, and reading that much takes milliseconds, so the window never freezes
/// on a file picked by mistake.
inline constexpr std::int64_t kMaxInputBytes = 16 * 1024 * 1024;

/// The bytes of a regular file of at most kMaxInputBytes (TooLarge beyond, also for a
/// file that grows while read).
Result<std::string> readInputFile(const std::filesystem::path &path);

/// Text after a UTF-8 byte-order mark, if any; a UTF-16 or UTF-32 one is WideText.
Result<std::string_view> withoutByteOrderMark(std::string_view bytes);

/// The records of picture file text, by the record rules of RecordParser.
Result<PictureRecords> readPictureText(std::string_view text);

} // namespace dotdata
