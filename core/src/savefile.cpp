// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/fileio.h"

#include "posixfile.h"

#include <cerrno>
#include <climits>
#include <optional>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {

namespace {

using detail::FileDescriptor;
using detail::fileError;

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
            return fileError(ErrorKind::CannotFollowLink, link, ec.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return fileError(ErrorKind::CannotFollowLink, link, ELOOP);
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
        return fileError(ErrorKind::CannotFollowLink, path, errno);
    }
    FileDescriptor file(fd);
    struct stat opened
    { };
    if (::fstat(file.get(), &opened) != 0)
        return fileError(ErrorKind::CannotFollowLink, path, errno);
    if (!old || opened.st_dev != old->st_dev || opened.st_ino != old->st_ino) {
        return fileError(ErrorKind::LinkChanged, path);
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
        return fileError(ErrorKind::CannotCreate, t.folder, errno);
    }
    FileDescriptor file(fd);
    bool named = !unnamed;
    auto fail = [&](ErrorKind kind, int error) -> Status {
        if (file.get() >= 0)
            file.close();
        if (named)
            ::unlink(tempName.c_str());
        return fileError(kind, t.path, error);
    };

    // A replaced file keeps its owner (where allowed) and its read, write and execute
    // bits; its setuid, setgid and sticky bits are not carried over to a file this
    // program wrote.
    if (t.exists && ::geteuid() == 0)
        (void)!::fchown(file.get(), t.old.st_uid, t.old.st_gid);
    if (t.exists && ::fchmod(file.get(), t.old.st_mode & 0777) != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (!writeAll(file.get(), text))
        return fail(ErrorKind::CannotWrite, errno);
    if (::fsync(file.get()) != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (unnamed && !nameUnnamedFile(file.get(), tempName))
        return std::nullopt;
    named = true;
    // Once the unnamed file has a name, a kill leaves it behind until the rename, so the
    // rename follows at once; its data are synced, and its close can wait.
    if (!unnamed && file.close() != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (::rename(tempName.c_str(), t.target.c_str()) != 0)
        return fail(ErrorKind::CannotReplace, errno);

    // Make the rename itself durable; a failure here no longer endangers any data.
    const int dir = ::open(t.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Done {};
}

} // namespace

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
            return fileError(ErrorKind::CannotReplace, path, EISDIR);
        if (!S_ISREG(t.old.st_mode))
            return fileError(ErrorKind::NotAFile, path);
        if (::access(t.target.c_str(), W_OK) != 0)
            return fileError(ErrorKind::CannotReplace, path, errno);
    }
    if (resolved.value().throughLink) {
        if (Status allowed = checkWriteThroughLink(path, t.exists ? &t.old : nullptr); !allowed)
            return allowed;
    }

    if (std::optional<Status> saved = saveThroughTemporary(t, bytes, true))
        return *saved;
    return *saveThroughTemporary(t, bytes, false);
}

} // namespace dotdata
