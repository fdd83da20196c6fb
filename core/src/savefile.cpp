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

// Opens the folder that path names a file in, relative to the folder at (AT_FDCWD for
// the current one). The kernel follows any link in it as its protection of links allows.
Status openFolder(Target &t, int at, const fs::path &path)
{
    t.folderPath = path.has_parent_path() ? path.parent_path() : ".";
    t.name = path.filename().string();
    const int fd = ::openat(at, t.folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fileError(ErrorKind::CannotCreate, t.folderPath, errno);
    t.folder.emplace(fd);
    return Done {};
}

// Finds the file to replace, following links to it one at a time, each relative to the
// folder it lies in, so that saving through a link replaces the file it points to.
//
// Resolving a link in user space and renaming over its target would get past the
// kernel's protection of links (fs.protected_symlinks: a link that another user planted
// in a sticky world-writable folder such as /tmp is not followed). So the kernel judges:
// the link is opened for writing as a shell's ">>" would, creating and truncating
// nothing, and a refusal refuses the save. A dangling link passes (ENOENT), since a save
// may create the file it names; the kernel checks a protected link before it looks for
// the file, so such a link is refused even when dangling. The file opened through a link
// must be the one found at its end, or the link changed in between.
Result<Target> findTarget(const fs::path &path)
{
    Target t;
    if (Status opened = openFolder(t, AT_FDCWD, path); !opened)
        return opened.error();
    std::optional<struct stat> throughLink;
    for (int hops = 0;; ++hops) {
        const int folder = t.folder->get();
        if (::fstatat(folder, t.name.c_str(), &t.old, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return fileError(ErrorKind::CannotReplace, path, errno);
            if (throughLink)
                return fileError(ErrorKind::LinkChanged, path);
            return t;
        }
        if (!S_ISLNK(t.old.st_mode))
            break;
        if (hops == 40)
            return fileError(ErrorKind::CannotFollowLink, path, ELOOP);
        const int fd = ::openat(
            folder, t.name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno != ENOENT)
            return fileError(ErrorKind::CannotFollowLink, path, errno);
        throughLink.reset();
        if (fd >= 0) {
            const FileDescriptor file(fd);
            if (::fstat(file.get(), &throughLink.emplace()) != 0)
                return fileError(ErrorKind::CannotFollowLink, path, errno);
            if (!S_ISREG(throughLink->st_mode))
                return fileError(ErrorKind::OutputNotAFile, path);
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlinkat(folder, t.name.c_str(), target, sizeof target);
        if (length < 0 || length == sizeof target)
            return fileError(ErrorKind::CannotFollowLink, path, length < 0 ? errno : ENAMETOOLONG);
        // The link's folder stays open until the next one is: a relative target is
        // relative to it.
        Target next;
        if (Status opened = openFolder(next, folder, fs::path(target, target + length)); !opened)
            return opened.error();
        t = std::move(next);
    }
    t.exists = true;
    if (throughLink && (t.old.st_dev != throughLink->st_dev || t.old.st_ino != throughLink->st_ino))
        return fileError(ErrorKind::LinkChanged, path);
    // A rename would replace anything, so only a regular file that may be written is.
    if (S_ISDIR(t.old.st_mode))
        return fileError(ErrorKind::CannotReplace, path, EISDIR);
    if (!S_ISREG(t.old.st_mode))
        return fileError(ErrorKind::OutputNotAFile, path);
    if (::faccessat(t.folder->get(), t.name.c_str(), W_OK, AT_EACCESS) != 0)
        return fileError(ErrorKind::CannotReplace, path, errno);
    return t;
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
        return fileError(ErrorKind::CannotCreate, t.folderPath, errno);
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
