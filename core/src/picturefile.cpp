// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/picturefile.h"

#include "dotdata/datatext.h"

#include "common.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {

namespace {

std::string osReason(int error)
{
    return std::generic_category().message(error);
}

Error fileError(ErrorKind kind, const char *what, const std::filesystem::path &path, int error)
{
    return {kind, std::string(what) + " " + path.string() + ": " + osReason(error), error};
}

Error tooManyRecords()
{
    return {ErrorKind::TooManyRecords,
        "the file has more than " + std::to_string(kEntries) + " records"};
}

Error notAFile(const char *what, const std::filesystem::path &path)
{
    return {ErrorKind::NotAFile, std::string(what) + " " + path.string() + ": not a regular file"};
}

struct ResolvedPath
{
    std::filesystem::path path;
    bool throughLink = false;
};

// Follows a chain of symbolic links so that saving replaces the file a link points
// to rather than the link itself. A dangling link resolves to the path it names.
Result<ResolvedPath> resolveLinks(const std::filesystem::path &link)
{
    std::filesystem::path path = link;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec))
            return ResolvedPath {path, hops > 0};
        const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec)
            return fileError(ErrorKind::CannotOpen, "cannot follow the link", link, ec.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return fileError(ErrorKind::CannotOpen, "cannot follow the link", link, ELOOP);
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

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

// Resolving links in user space and renaming over the result would get past the kernel's
// protection of links (fs.protected_symlinks: a link that another user planted in a
// sticky world-writable folder such as /tmp is not followed). So the kernel judges: the
// path is opened for writing as a shell's ">>" would, creating and truncating nothing,
// and a refusal refuses the save. A dangling link passes (ENOENT), since a save may create
// the file it names; the kernel checks a protected link before it looks for the file, so
// such a link is refused even when dangling. The file opened must be the one about to be
// replaced, or the link was changed in between.
Status checkWriteThroughLink(const std::filesystem::path &path, const struct stat *old)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT && !old)
            return Done {};
        return fileError(ErrorKind::CannotWrite, "cannot write through the link", path, errno);
    }
    FileDescriptor file(fd);
    struct stat opened
    { };
    if (::fstat(file.get(), &opened) != 0)
        return fileError(ErrorKind::CannotWrite, "cannot write through the link", path, errno);
    if (!old || opened.st_dev != old->st_dev || opened.st_ino != old->st_ino) {
        return Error {ErrorKind::CannotWrite,
            "cannot write through the link " + path.string() + ": it changed during the save"};
    }
    return Done {};
}

// A hidden name in the target's folder, after the target, ending in six X's to be
// replaced. A name that would pass the longest name a folder takes (so that a valid
// target name could never be saved to) gives way to a fixed one.
std::string temporaryTemplate(
    const std::filesystem::path &folder, const std::filesystem::path &target)
{
    std::string base = "." + target.filename().string() + ".XXXXXX";
    if (base.size() > NAME_MAX)
        base = ".dotdata.XXXXXX";
    return (folder / base).string();
}

// Replaces the six X's at the end of a template with random letters and digits, as
// mkstemp does. A guessed name costs only another attempt: linkat never replaces
// anything and never follows a link at the new name.
void fillTemplate(std::string &name)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device {}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i)
        name[i] = kLetters[pick(random)];
}

// Gives a complete unnamed (O_TMPFILE) file a name from the template. AT_EMPTY_PATH
// names the file itself and is the quicker (which narrows the moment between naming and
// renaming), but before Linux 6.10 it needs CAP_DAC_READ_SEARCH; /proc/self/fd works
// for any process where /proc is mounted. Returns whether the file got a name.
bool nameUnnamedFile(int fd, std::string &name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        fillTemplate(name);
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
            return true;
        if (errno != EEXIST
            && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// What a save needs to know about its target, found before any file is made.
struct SaveTarget
{
    const std::filesystem::path &path; // as the user gave it, for messages
    std::filesystem::path target; // links resolved
    std::filesystem::path folder;
    bool exists;
    struct stat old; // valid when exists
};

// Writes text into a temporary file in the target's folder and renames it over the
// target. An unnamed temporary file is named only once complete and synced, and renamed
// at once, so a save killed at any moment leaves nothing behind but in that instant.
// Returns nullopt when the file system cannot give an unnamed file a name; the caller
// then saves through a named temporary file.
std::optional<Status> saveThroughTemporary(const SaveTarget &t, std::string_view text, bool unnamed)
{
    std::string tempName = temporaryTemplate(t.folder, t.target);
    // A new file gets what a newly created file would: the kernel applies the umask.
    int fd = -1;
    if (unnamed) {
        fd = ::open(t.folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } else {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            fillTemplate(tempName);
            fd = ::open(tempName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (fd < 0) {
        if (unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            return std::nullopt;
        return fileError(ErrorKind::CannotOpen, "cannot create a file in", t.folder, errno);
    }
    FileDescriptor file(fd);
    bool named = !unnamed;
    auto fail = [&](const char *what, int error) -> Status {
        if (file.get() >= 0)
            file.close();
        if (named)
            ::unlink(tempName.c_str());
        return fileError(ErrorKind::CannotWrite, what, t.path, error);
    };

    // A replaced file keeps its owner (where allowed) and its read, write and execute
    // bits; its setuid, setgid and sticky bits are not carried over to a file this
    // program wrote.
    if (t.exists && ::geteuid() == 0)
        (void)!::fchown(file.get(), t.old.st_uid, t.old.st_gid);
    if (t.exists && ::fchmod(file.get(), t.old.st_mode & 0777) != 0)
        return fail("cannot write", errno);
    if (!writeAll(file.get(), text))
        return fail("cannot write", errno);
    if (::fsync(file.get()) != 0)
        return fail("cannot write", errno);
    if (unnamed && !nameUnnamedFile(file.get(), tempName))
        return std::nullopt;
    named = true;
    // Once the unnamed file has a name, a kill leaves it behind until the rename, so the
    // rename follows at once; its data are synced, and its close can wait.
    if (!unnamed && file.close() != 0)
        return fail("cannot write", errno);
    if (::rename(tempName.c_str(), t.target.c_str()) != 0)
        return fail("cannot replace", errno);

    // Make the rename itself durable; a failure here no longer endangers any data.
    const int dir = ::open(t.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Done {};
}

} // namespace

std::string pictureFileText(const Picture::Table &table)
{
    std::string text;
    text.reserve(kCells * 5);
    for (int k = 0; k < kCells; ++k) {
        text += numberImage(table[static_cast<std::size_t>(k)]);
        text += " \r\n";
    }
    return text;
}

Status writePictureFile(const std::filesystem::path &path, const Picture::Table &table)
{
    return writeFileAtomically(path, pictureFileText(table));
}

Status writeFileAtomically(const std::filesystem::path &path, std::string_view bytes)
{
    const Result<ResolvedPath> resolved = resolveLinks(path);
    if (!resolved)
        return resolved.error();
    SaveTarget t {path, resolved.value().path, {}, false, {}};
    t.folder = t.target.has_parent_path() ? t.target.parent_path() : ".";

    // A rename would replace anything, so the old target is checked first: only a
    // regular file that may be written is replaced.
    t.exists = ::stat(t.target.c_str(), &t.old) == 0;
    if (t.exists) {
        if (S_ISDIR(t.old.st_mode))
            return fileError(ErrorKind::CannotWrite, "cannot replace", path, EISDIR);
        if (!S_ISREG(t.old.st_mode))
            return notAFile("cannot replace", path);
        if (::access(t.target.c_str(), W_OK) != 0)
            return fileError(ErrorKind::CannotWrite, "cannot replace", path, errno);
    }
    if (resolved.value().throughLink) {
        if (Status allowed = checkWriteThroughLink(path, t.exists ? &t.old : nullptr); !allowed)
            return allowed;
    }

    if (std::optional<Status> saved = saveThroughTemporary(t, bytes, true))
        return *saved;
    return *saveThroughTemporary(t, bytes, false);
}

void PictureRecords::applyTo(Picture &picture) const
{
    for (int i = 0; i < count; ++i)
        picture.store(i, values[static_cast<std::size_t>(i)]);
}

void RecordParser::push(std::int16_t value)
{
    m_records.values[static_cast<std::size_t>(m_records.count)] = value;
    ++m_records.count;
    m_recordBegun = false;
    m_quoteHasFirst = false;
    m_value = 0;
}

namespace {

bool endsRecord(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// Whether any byte of word equals b (the classic zero-byte test on word ^ b...b).
constexpr bool hasByte(std::uint64_t word, unsigned char b)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const std::uint64_t x = word ^ (kOnes * b);
    return ((x - kOnes) & ~x & (kOnes * 0x80)) != 0;
}

// The position of the first comma or line end at or after from, or text.size().
// Everything after a record's first character is skipped, so long records (and junk
// files) spend nearly all their time here: eight bytes are tested at a time.
std::size_t findRecordEnd(std::string_view text, std::size_t from)
{
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (hasByte(word, ',') || hasByte(word, '\r') || hasByte(word, '\n'))
            break;
    }
    while (i < text.size() && !endsRecord(text[i]))
        ++i;
    return i;
}

} // namespace

Status RecordParser::feed(std::string_view chunk)
{
    if (m_failed)
        return tooManyRecords();
    auto digitValue = [](char c) -> std::int16_t { return c >= '0' && c <= '9' ? c - '0' : 0; };

    for (std::size_t i = 0; i < chunk.size(); ++i) {
        const char c = chunk[i];
        if (m_state == State::AfterCr) {
            m_state = State::RecordStart;
            if (c == '\n')
                continue;
        }
        if (m_state == State::RecordStart && !m_recordBegun) {
            // Any byte at all means another record exists, since the end of the file
            // has not been reached; fail before going through the rest of it.
            if (m_records.count == kEntries) {
                m_failed = true;
                return tooManyRecords();
            }
            m_recordBegun = true;
        }
        switch (m_state) {
        case State::RecordStart:
            if (c == ' ' || c == '\t')
                break;
            if (c == '"') {
                m_state = State::InQuote;
                break;
            }
            if (endsRecord(c)) {
                push(0);
                m_state = c == '\r' ? State::AfterCr : State::RecordStart;
                break;
            }
            m_value = digitValue(c);
            m_state = State::InRecord;
            break;
        case State::InQuote:
            if (c != '"' && !m_quoteHasFirst) {
                m_value = digitValue(c);
                m_quoteHasFirst = true;
                break;
            }
            // Only the closing quote matters from here on.
            if (const void *quote = std::memchr(chunk.data() + i, '"', chunk.size() - i)) {
                i = static_cast<std::size_t>(static_cast<const char *>(quote) - chunk.data());
                m_state = State::AfterQuote;
            } else {
                i = chunk.size();
            }
            break;
        case State::InRecord:
        case State::AfterQuote:
            // Text after the first character, or after a closing quote, is ignored.
            // Most records are a digit and a line end, so the byte at hand is tested
            // before any bulk skipping.
            if (!endsRecord(c))
                i = findRecordEnd(chunk, i + 1);
            if (i < chunk.size()) {
                push(m_value);
                m_state = chunk[i] == '\r' ? State::AfterCr : State::RecordStart;
            }
            break;
        case State::AfterCr:
            break; // handled above
        }
    }
    return Done {};
}

Status RecordParser::finish()
{
    if (m_failed)
        return tooManyRecords();
    if (m_recordBegun)
        push(m_value);
    m_state = State::RecordStart;
    return Done {};
}

namespace {

Error tooLarge(const std::filesystem::path &path)
{
    return {ErrorKind::TooLarge,
        path.string() + ": the file is larger than "
            + std::to_string(kMaxInputBytes / (1024 * 1024))
            + " MiB, the most an input is read to: a picture file as written is 5120 bytes,"
              " and the largest image dotdata writes is 12 MiB"};
}

} // namespace

Result<std::string_view> withoutByteOrderMark(std::string_view bytes)
{
    // A UTF-16 or UTF-32 text has a NUL byte beside every character; read as records it
    // would give nonsense rather than an error. The UTF-32 marks are tested first, as
    // the little-endian one begins with the UTF-16 one.
    using namespace std::string_view_literals;
    const char *wide = nullptr;
    if (bytes.starts_with("\xEF\xBB\xBF"sv))
        return bytes.substr(3);
    if (bytes.starts_with("\xFF\xFE\0\0"sv) || bytes.starts_with("\0\0\xFE\xFF"sv))
        wide = "UTF-32";
    else if (bytes.starts_with("\xFF\xFE"sv) || bytes.starts_with("\xFE\xFF"sv))
        wide = "UTF-16";
    if (!wide)
        return bytes;
    return Error {ErrorKind::WideText,
        std::string("the file is ") + wide
            + " text (it begins with a byte-order mark); dotdata reads ASCII text"};
}

Result<std::string> readInputFile(const std::filesystem::path &path)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fileError(ErrorKind::CannotOpen, "cannot open", path, errno);
    FileDescriptor file(fd);
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return fileError(ErrorKind::CannotOpen, "cannot open", path, errno);
    if (S_ISDIR(info.st_mode))
        return fileError(ErrorKind::CannotOpen, "cannot open", path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return notAFile("cannot open", path);
    if (info.st_size > kMaxInputBytes)
        return tooLarge(path);

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
            return fileError(ErrorKind::CannotRead, "cannot read", path, errno);
        }
        if (n == 0) {
            bytes.resize(length);
            return bytes;
        }
        length += std::size_t(n);
        // A file that grows while it is read, or whose size the system does not report
        // (as in /proc), is stopped at the same bound.
        if (std::int64_t(length) > kMaxInputBytes)
            return tooLarge(path);
    }
}

Result<PictureRecords> readPictureText(std::string_view text)
{
    RecordParser parser;
    if (Status fed = parser.feed(text); !fed)
        return fed.error();
    if (Status done = parser.finish(); !done)
        return done.error();
    return parser.records();
}

} // namespace dotdata
