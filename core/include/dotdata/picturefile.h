#pragma once

#include "dotdata/picture.h"
#include "dotdata/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
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

/// The largest file the reader takes: 4 MiB. A picture file as written is 5120 bytes;
/// even 1025 records of 4000 bytes each stay below this, and reading it takes a few
/// milliseconds, so the window never freezes on a file picked by mistake.
inline constexpr std::int64_t kMaxPictureFileBytes = 4 * 1024 * 1024;

/// Reads the records of a picture file without touching any table; streams the file
/// in fixed-size blocks. Only a regular file is read, and only up to
/// kMaxPictureFileBytes (TooLarge beyond, also for a file that grows while read). A
/// UTF-8 byte-order mark at the start is skipped; a UTF-16 or UTF-32 one is WideText.
Result<PictureRecords> readPictureFile(const std::filesystem::path &path);

} // namespace dotdata
