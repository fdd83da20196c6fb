// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/fileio.h"

#include "posixfile.h"

#include <cerrno>
#include <climits>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {

namespace {

namespace fs = std::filesystem;
using detail::FileDescriptor;
using detail::fileError;

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

// The file a save replaces or creates, as a name in one opened folder. Every step of the
// save acts on that folder's descriptor, never on a path walked again: another user who
// swaps a folder of the path for a link mid-save cannot turn the save to another folder.
struct Target
{
    std::optional<FileDescriptor> folder;
    fs::path folderPath; // for messages
    std::string name;
    bool exists = false;
    struct stat old = {}; // the file replaced, valid when exists
};

// As many links as the kernel follows in one path before it gives up (ELOOP).
constexpr int kMostLinks = 40;

// A path for messages: "." is the current folder, and goes when more follows.
fs::path joined(const fs::path &folder, const fs::path &rest)
{
    if (folder.empty() || folder == ".")
        return rest.empty() ? fs::path(".") : rest;
    return rest.empty() ? folder : folder / rest;
}

// The components of a path, as the kernel takes them: empty ones stand for the repeated
// slashes and the final one of a name that ends in a slash.
std::deque<std::string> components(const std::string &path)
{
    std::deque<std::string> parts;
    std::size_t from = path.starts_with('/') ? 1 : 0;
    for (;;) {
        const std::size_t slash = path.find('/', from);
        parts.push_back(path.substr(from, slash - from));
        if (slash == std::string::npos)
            return parts;
        from = slash + 1;
    }
}

// The protection of links of the kernel (fs.protected_symlinks): a link in a sticky
// world-writable folder such as /tmp is followed only by its owner, or when the folder's
// owner owns it too. The kernel applies it to the last component of a path alone, and
// only when the setting is on; a save applies it to every link it meets, whatever the
// setting, so that another user's link can turn no save anywhere.
bool mayFollow(const struct stat &folder, const struct stat &link)
{
    return link.st_uid == ::geteuid()
        || (folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)
        || folder.st_uid == link.st_uid;
}

FileDescriptor openRoot()
{
    return FileDescriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// Finds the file to replace, walking the path one component at a time from / or the
// current folder, each opened without following a link (O_PATH, so nothing is opened for
// reading or writing on the way). A link, in a folder of the path or at its end, is read
// and its target walked the same way from the folder that holds it, if the protection of
// links allows (see mayFollow). The kernel would follow a link in a folder of the path
// unchecked.
//
// Where the name the save is given is a link, the kernel looks at it too, through O_PATH
// (which opens no device or FIFO): what it finds must be a regular file or nothing, and
// the same as the walk found, or the link changed in between.
Result<Target> findTarget(const fs::path &path)
{
    Target t;
    if (path.empty())
        return fileError(ErrorKind::CannotReplace, path, ENOENT);
    t.folderPath = path.has_parent_path() ? path.parent_path() : ".";
    std::deque<std::string> left = components(path.string());
    FileDescriptor at(path.is_absolute()
            ? openRoot()
            : FileDescriptor(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC)));
    fs::path shown = path.is_absolute() ? "/" : ""; // the folder at, for messages
    int links = 0;
    // The kernel's view of the first link at the path's end: none, no file, or the file.
    enum { NoLink, LinkToNothing, LinkToFile } kernelSaw = NoLink;
    struct stat kernelFile = {};
    const auto folderFailed = [&](int error) -> Error {
        return fileError(ErrorKind::CannotCreate, t.folderPath, error);
    };
    if (at.get() < 0)
        return folderFailed(errno);
    while (!left.empty()) {
        const std::string name = std::move(left.front());
        left.pop_front();
        const bool last = left.empty();
        if (last && (name.empty() || name == "." || name == ".."))
            return fileError(ErrorKind::CannotReplace, path, EISDIR);
        if (name.empty() || name == ".")
            continue;
        const int flags = O_PATH | O_NOFOLLOW | O_CLOEXEC | (name == ".." ? O_DIRECTORY : 0);
        FileDescriptor found(::openat(at.get(), name.c_str(), flags));
        if (found.get() < 0) {
            if (!last)
                return folderFailed(errno);
            if (errno != ENOENT)
                return fileError(ErrorKind::CannotReplace, path, errno);
            t.name = name;
            break;
        }
        struct stat info = {};
        if (::fstat(found.get(), &info) != 0)
            return folderFailed(errno);
        if (!S_ISLNK(info.st_mode)) {
            if (last) {
                t.name = name;
                t.exists = true;
                t.old = info;
                break;
            }
            if (!S_ISDIR(info.st_mode))
                return folderFailed(ENOTDIR);
            at = std::move(found);
            shown = joined(shown, name);
            continue;
        }
        const fs::path link = joined(shown, name);
        struct stat folder = {};
        if (::fstat(at.get(), &folder) != 0)
            return fileError(ErrorKind::CannotFollowLink, link, errno);
        if (!mayFollow(folder, info))
            return fileError(ErrorKind::CannotFollowLink, link, EACCES);
        if (++links > kMostLinks)
            return fileError(ErrorKind::CannotFollowLink, link, ELOOP);
        // Read through the descriptor, the target is that of the link whose owner was
        // checked, even if the name is another link by now.
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(found.get(), "", target, sizeof target);
        if (length <= 0 || length == sizeof target) {
            return fileError(ErrorKind::CannotFollowLink, link,
                length < 0        ? errno
                    : length == 0 ? ENOENT
                                  : ENAMETOOLONG);
        }
        const std::string body(target, std::size_t(length));
        if (last && kernelSaw == NoLink) {
            const FileDescriptor end(::openat(at.get(), name.c_str(), O_PATH | O_CLOEXEC));
            if (end.get() < 0 && errno != ENOENT)
                return fileError(ErrorKind::CannotFollowLink, link, errno);
            kernelSaw = end.get() < 0 ? LinkToNothing : LinkToFile;
            if (end.get() >= 0 && ::fstat(end.get(), &kernelFile) != 0)
                return fileError(ErrorKind::CannotFollowLink, link, errno);
            if (end.get() >= 0 && S_ISDIR(kernelFile.st_mode))
                return fileError(ErrorKind::CannotReplace, path, EISDIR);
            if (end.get() >= 0 && !S_ISREG(kernelFile.st_mode))
                return fileError(ErrorKind::OutputNotAFile, path);
        }
        std::deque<std::string> more = components(body);
        left.insert(left.begin(), more.begin(), more.end());
        if (body.starts_with('/')) {
            at = openRoot();
            shown = "/";
            if (at.get() < 0)
                return fileError(ErrorKind::CannotFollowLink, link, errno);
        }
        // The file is now named by the link's target, in a folder named after it.
        if (last)
            t.folderPath = joined(shown, fs::path(body).parent_path());
    }
    if (kernelSaw == LinkToNothing ? t.exists
            : kernelSaw == LinkToFile
            ? !t.exists || t.old.st_dev != kernelFile.st_dev || t.old.st_ino != kernelFile.st_ino
            : false)
        return fileError(ErrorKind::LinkChanged, path);
    // A rename would replace anything, so only a regular file that may be written is.
    if (t.exists && S_ISDIR(t.old.st_mode))
        return fileError(ErrorKind::CannotReplace, path, EISDIR);
    if (t.exists && !S_ISREG(t.old.st_mode))
        return fileError(ErrorKind::OutputNotAFile, path);
    if (t.exists && ::faccessat(at.get(), t.name.c_str(), W_OK, AT_EACCESS) != 0)
        return fileError(ErrorKind::CannotReplace, path, errno);
    // The folder is opened for reading where that is allowed, for the sync after the
    // rename; the rest needs no more than the O_PATH descriptor.
    const int readable = ::openat(at.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    t.folder.emplace(readable >= 0 ? FileDescriptor(readable) : std::move(at));
    return t;
}

// Whether a file could not be made in a folder for what the folder is: one the user may
// not write in, on a read-only file system, or gone. Any other failure (a full disk, a
// quota, too many open files) fails the writing of the file, and names the file.
bool folderRefused(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == ENOENT
        || error == ENOTDIR;
}

// A hidden name after the target, ending in six random letters and digits as mkstemp
// makes them. A name that would pass the longest name a folder takes (so that a valid
// target name could never be saved to) gives way to a fixed one. A guessed name costs
// only another attempt: neither linkat nor an O_EXCL open replaces anything or follows a
// link at the new name.
std::string temporaryName(const std::string &target)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device {}());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = "." + target + ".";
    if (name.size() + 6 > NAME_MAX)
        name = ".dotdata.";
    for (int i = 0; i < 6; ++i)
        name += kLetters[pick(random)];
    return name;
}

// Gives a complete unnamed (O_TMPFILE) file a name in the folder. AT_EMPTY_PATH names
// the file itself and is the quicker (which narrows the moment between naming and
// renaming), but before Linux 6.10 it needs CAP_DAC_READ_SEARCH; /proc/self/fd works for
// any process where /proc is mounted. Returns the name, or none.
std::optional<std::string> nameUnnamedFile(int fd, const Target &t)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName(t.name);
        if (::linkat(fd, "", t.folder->get(), name.c_str(), AT_EMPTY_PATH) == 0)
            return name;
        if (errno != EEXIST
            && ::linkat(AT_FDCWD, self.c_str(), t.folder->get(), name.c_str(), AT_SYMLINK_FOLLOW)
                == 0)
            return name;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

// Writes the bytes into a temporary file in the target's folder and renames it over the
// target. An unnamed temporary file is named only once complete and synced, and renamed
// at once, so a save killed at any moment leaves nothing behind but in that instant.
// Returns none when the file system cannot give an unnamed file a name; the caller then
// saves through a named temporary file.
std::optional<Status> saveThroughTemporary(
    const fs::path &path, const Target &t, std::string_view bytes, bool unnamed)
{
    const int folder = t.folder->get();
    std::string name;
    // A new file gets what a newly created file would: the kernel applies the umask.
    int fd = -1;
    if (unnamed) {
        fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } else {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            name = temporaryName(t.name);
            fd = ::openat(folder, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    if (fd < 0) {
        if (unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL))
            return std::nullopt;
        return folderRefused(errno) ? fileError(ErrorKind::CannotCreate, t.folderPath, errno)
                                    : fileError(ErrorKind::CannotWrite, path, errno);
    }
    FileDescriptor file(fd);
    auto fail = [&](ErrorKind kind, int error) -> Status {
        if (file.get() >= 0)
            file.close();
        if (!name.empty())
            ::unlinkat(folder, name.c_str(), 0);
        return fileError(kind, path, error);
    };

    // A replaced file keeps its owner (where allowed) and its read, write and execute
    // bits; its setuid, setgid and sticky bits are not carried over to a file this
    // program wrote.
    if (t.exists && ::geteuid() == 0)
        (void)!::fchown(file.get(), t.old.st_uid, t.old.st_gid);
    if (t.exists && ::fchmod(file.get(), t.old.st_mode & 0777) != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (unnamed) {
        const std::optional<std::string> named = nameUnnamedFile(file.get(), t);
        if (!named)
            return std::nullopt;
        name = *named;
    }
    // Once the unnamed file has a name, a kill leaves it behind until the rename, so the
    // rename follows at once; its data are synced, and its close can wait.
    if (!unnamed && file.close() != 0)
        return fail(ErrorKind::CannotWrite, errno);
    if (::renameat(folder, name.c_str(), folder, t.name.c_str()) != 0)
        return fail(ErrorKind::CannotReplace, errno);
    // Make the rename itself durable; a failure here no longer endangers any data.
    ::fsync(folder);
    return Done {};
}

} // namespace

Status writeFileAtomically(const fs::path &path, std::string_view bytes)
{
    const Result<Target> target = findTarget(path);
    if (!target)
        return target.error();
    if (std::optional<Status> saved = saveThroughTemporary(path, target.value(), bytes, true))
        return *saved;
    return *saveThroughTemporary(path, target.value(), bytes, false);
}

} // namespace dotdata
