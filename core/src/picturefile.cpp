#include "dotdata/picturefile.h"

#include "dotdata/datatext.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
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

// Follows a chain of symbolic links so that saving replaces the file a link points
// to rather than the link itself. A dangling link resolves to the path it names.
Result<std::filesystem::path> resolveLinks(const std::filesystem::path &link)
{
    std::filesystem::path path = link;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec))
            return path;
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
    const Result<std::filesystem::path> resolved = resolveLinks(path);
    if (!resolved)
        return resolved.error();
    const std::filesystem::path &target = resolved.value();
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";

    // A rename would replace anything, so the old target is checked first: only a
    // regular file that may be written is replaced.
    struct stat old
    { };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return fileError(ErrorKind::CannotWrite, "cannot replace", path, EISDIR);
        if (!S_ISREG(old.st_mode))
            return notAFile("cannot replace", path);
        if (::access(target.c_str(), W_OK) != 0)
            return fileError(ErrorKind::CannotWrite, "cannot replace", path, errno);
    }

    // The temporary file is named after the target, unless that would pass the longest
    // name a folder takes and so make a valid target name impossible to save to.
    std::string tempBase = "." + target.filename().string() + ".XXXXXX";
    if (tempBase.size() > NAME_MAX)
        tempBase = ".dotdata.XXXXXX";
    std::string tempName = (folder / tempBase).string();

    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return fileError(ErrorKind::CannotOpen, "cannot create a file in", folder, errno);
    FileDescriptor file(fd);

    auto fail = [&](const char *what, int error) -> Status {
        if (file.get() >= 0)
            file.close();
        ::unlink(tempName.c_str());
        return fileError(ErrorKind::CannotWrite, what, path, error);
    };

    // mkstemp makes the file private; give it the old file's permissions (and, where
    // allowed, its owner), or the ones a newly created file would get.
    mode_t mode = old.st_mode & 07777;
    if (exists) {
        if (::geteuid() == 0)
            (void)!::fchown(file.get(), old.st_uid, old.st_gid);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(file.get(), mode) != 0)
        return fail("cannot write", errno);

    if (!writeAll(file.get(), bytes))
        return fail("cannot write", errno);
    if (::fsync(file.get()) != 0)
        return fail("cannot write", errno);
    if (file.close() != 0)
        return fail("cannot write", errno);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        return fail("cannot replace", errno);

    // Make the rename itself durable; a failure here no longer endangers any data.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Done {};
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
            // has not been reached; fail before reading the rest of it.
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

Result<PictureRecords> readPictureFile(const std::filesystem::path &path)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fileError(ErrorKind::CannotOpen, "cannot open", path, errno);
    FileDescriptor file(fd);
    struct stat info
    { };
    if (::fstat(file.get(), &info) != 0)
        return fileError(ErrorKind::CannotOpen, "cannot open", path, errno);
    if (S_ISDIR(info.st_mode))
        return fileError(ErrorKind::CannotOpen, "cannot open", path, EISDIR);
    if (!S_ISREG(info.st_mode))
        return notAFile("cannot open", path);

    RecordParser parser;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fileError(ErrorKind::CannotRead, "cannot read", path, errno);
        }
        if (n == 0)
            break;
        if (Status fed = parser.feed({buffer, static_cast<std::size_t>(n)}); !fed)
            return Error {fed.error().kind, path.string() + ": " + fed.error().message};
    }
    if (Status done = parser.finish(); !done)
        return Error {done.error().kind, path.string() + ": " + done.error().message};
    return parser.records();
}

} // namespace dotdata
