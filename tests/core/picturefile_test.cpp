// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/input.h"
#include "dotdata/picturefile.h"

#include "rows.h"
#include <gmock/gmock.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
bool g_hideSize = false;
bool g_noUnnamedFiles = false;
bool g_diskFull = false;
bool g_watchWrites = false;
const char *g_linkNowTo = nullptr;

} // namespace

// Linked ahead of the C library's, these stand in for what some systems do. A file under
// /proc reports no size, and one that grows while read reports less than it gives: fstat
// hides the size when asked to. Some file systems have no unnamed files: openat refuses
// O_TMPFILE when asked to, and a full one any new file. Asked to watch, openat ends the
// process, saying so, when a save opens an existing file for writing: that may be a FIFO
// that blocks or a device that acts.
extern "C" int fstat(int fd, struct stat *info)
{
    const int rc = ::fstatat(fd, "", info, AT_EMPTY_PATH);
    if (rc == 0 && g_hideSize)
        info->st_size = 0;
    return rc;
}
// A link that another user changes between its opening and its reading says so.
extern "C" ssize_t readlinkat(int folder, const char *path, char *target, size_t size)
{
    if (!g_linkNowTo)
        return ::syscall(SYS_readlinkat, folder, path, target, size);
    const std::size_t length = std::min(size, std::strlen(g_linkNowTo));
    std::memcpy(target, g_linkNowTo, length);
    return ssize_t(length);
}
extern "C" int openat(int folder, const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const bool unnamed = (flags & O_TMPFILE) == O_TMPFILE;
    const mode_t mode = (flags & O_CREAT) || unnamed ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    if ((g_noUnnamedFiles && unnamed) || (g_diskFull && (unnamed || (flags & O_CREAT)))) {
        errno = g_diskFull ? ENOSPC : EOPNOTSUPP;
        return -1;
    }
    if (g_watchWrites && (flags & O_ACCMODE) != O_RDONLY && !unnamed && !(flags & O_CREAT)) {
        std::fprintf(stderr, "opened %s for writing\n", path);
        std::_Exit(0);
    }
    return int(::syscall(SYS_openat, folder, path, flags, mode));
}

namespace dotdata {
namespace {

// A failing row looks for its printer in the row's own namespace.
using dotdata::PrintTo;

namespace fs = std::filesystem;

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// A new folder of its own, removed with everything in it.
struct TempFolder
{
    fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "dotdata-test-XXXXXX").string();
        return fs::path(::mkdtemp(pattern.data()));
    }();
    ~TempFolder() { fs::remove_all(path); }
    fs::path operator/(const std::string &name) const { return path / name; }

    /// Every name below the folder with its contents' hash or a link's target: shows a
    /// file changed or a temporary file left behind.
    std::map<std::string, std::string> tree() const
    {
        std::map<std::string, std::string> tree;
        for (const fs::directory_entry &e : fs::recursive_directory_iterator(path)) {
            std::string &what = tree[e.path().lexically_relative(path)];
            if (e.is_symlink())
                what = "-> " + fs::read_symlink(e.path()).string();
            else if (e.is_regular_file())
                what = std::to_string(std::hash<std::string> {}(readBytes(e.path())));
        }
        return tree;
    }
};

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string records(int count, char digit = '1')
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::string(" ") + digit + " \r\n";
    return text;
}

Picture::Table patternTable()
{
    Picture::Table table {};
    for (int i = 0; i < kEntries; ++i)
        table[std::size_t(i)] = std::int16_t((i * 7 + i / 32) % 10);
    return table;
}

/// The records of picture file text as numbers; none if refused.
std::optional<std::vector<int>> parse(std::string_view text)
{
    const Result<PictureRecords> r = readPictureText(text);
    if (!r)
        return std::nullopt;
    return std::vector<int>(r.value().values.begin(), r.value().values.begin() + r.value().count);
}

Status writePicture(const fs::path &path, const Picture::Table &table)
{
    return writeFileAtomically(path, pictureFileText(table));
}

/// What a child says of an error, with its file named from the folder, or of a success.
std::string said(const std::variant<Error, std::string> &outcome, const fs::path &folder)
{
    if (const std::string *done = std::get_if<std::string>(&outcome))
        return "ok " + *done;
    Error e = std::get<Error>(outcome);
    if (e.file.is_absolute())
        e.file = e.file.lexically_relative(folder);
    std::ostringstream out;
    out << e << '.';
    return out.str();
}

// The failures the tests compare are shown in this form.
TEST(ErrorPrinter, NamesEachFieldGiven)
{
    const std::pair<Error, const char *> rows[] = {
        {{.kind = ErrorKind::DataDigit, .line = 3, .column = 7, .value = 9},
            "DataDigit line 3 column 7 value 9"},
        {{.kind = ErrorKind::CannotRead, .file = "a b", .text = "say \"x\"", .systemError = 5},
            "CannotRead file \"a b\" text \"say \\\"x\\\"\" systemError 5"},
        {{}, "CannotOpen"}};
    for (const auto &[error, text] : rows) {
        std::ostringstream out;
        out << error;
        EXPECT_EQ(out.str(), text);
    }
    std::set<std::string> names;
    for (int k = 0; k <= int(ErrorKind::LineNumbersRepeat); ++k)
        names.insert(kindName(ErrorKind(k)));
    EXPECT_EQ(names.size(), std::size_t(ErrorKind::LineNumbersRepeat) + 1);
    EXPECT_FALSE(names.contains("?"));
}

TEST(PictureFileWriter, WritesEachCellAsNumberImageBlankCrLfAndReplacesTheFile)
{
    Picture::Table table = patternTable();
    table[1] = -3;
    table[2] = 12;
    const std::string text = pictureFileText(table);
    EXPECT_EQ(text.size(), 5121u) << "1024 lines, entry 1024 not written";
    EXPECT_EQ(text.substr(0, 21), " 0 \r\n-3 \r\n 12 \r\n 1 \r\n");
    EXPECT_EQ(text.substr(text.size() - 10), " 5 \r\n 2 \r\n"); // cells 1022 and 1023

    // A save keeps only the old file's read, write and execute bits and, when root saves
    // over another user's file, its owner; it replaces what a link points to, and works
    // for the longest name a folder takes.
    TempFolder folder;
    writeBytes(folder / "picture.dat", std::string(9000, 'x'));
    ::chmod((folder / "picture.dat").c_str(), 0640);
    writeBytes(folder / "setuid.dat", "old");
    ::chmod((folder / "setuid.dat").c_str(), 07755);
    writeBytes(folder / "theirs.dat", "old");
    const bool root = ::chown((folder / "theirs.dat").c_str(), 65534, 65534) == 0;
    fs::create_directory(folder / "real");
    writeBytes(folder / "real" / "target.dat", "old");
    // A chain of links, each to the next.
    std::map<std::string, std::string> links;
    for (int hop = 1; hop <= 6; ++hop)
        links["link" + std::to_string(hop)] = hop < 6 ? "link" + std::to_string(hop + 1)
                                                      : "real/target.dat";
    for (const auto &[link, target] : links)
        fs::create_symlink(target, folder / link);
    fs::create_symlink("real/new.dat", folder / "dangling.dat");
    const std::string longest(NAME_MAX, 'n');
    for (const std::string name : {"picture.dat", "setuid.dat", "theirs.dat", "link1",
             "dangling.dat", longest.c_str(), "named.dat"}) {
        // The last where the file system has no unnamed files, through a named one.
        g_noUnnamedFiles = name == "named.dat";
        ASSERT_TRUE(writePicture(folder / name, table)) << name;
    }
    g_noUnnamedFiles = false;
    const std::string hash = std::to_string(std::hash<std::string> {}(text));
    std::map<std::string, std::string> expected {{"dangling.dat", "-> real/new.dat"},
        {longest, hash}, {"named.dat", hash}, {"picture.dat", hash}, {"real", ""},
        {"real/new.dat", hash}, {"real/target.dat", hash}, {"setuid.dat", hash},
        {"theirs.dat", hash}};
    for (const auto &[link, target] : links)
        expected[link] = "-> " + target;
    EXPECT_EQ(folder.tree(), expected);
    EXPECT_EQ(fs::status(folder / "picture.dat").permissions(), fs::perms(0640));
    EXPECT_EQ(fs::status(folder / "setuid.dat").permissions(), fs::perms(0755));
    struct stat theirs = {};
    EXPECT_TRUE(!root
        || (::stat((folder / "theirs.dat").c_str(), &theirs) == 0 && theirs.st_uid == 65534
            && theirs.st_gid == 65534));
    const mode_t umask = ::umask(0);
    ::umask(umask); // a new file gets what the umask leaves of 0666
    for (const char *created : {"named.dat", "real/new.dat"})
        EXPECT_EQ(fs::status(folder / created).permissions(), fs::perms(0666 & ~umask));
}

// What an unlucky or hostile user does to saving, loading and the start number, one
// named row each. A failure names the file and the reason; whatever the outcome, every
// other file stays as it was and nothing is left behind. Each attempt runs in a child,
// which may drop root, write 100 bytes at most, or hide file sizes.
enum Op { Write, Read, Number };
enum Child { AsRoot, AsUser, SmallFiles, Killed, Unsized, NoUnnamed, LinkSwapped, DiskFull };

struct HostileCase
{
    const char *name;
    Op op;
    std::string path;
    /// A failure names its kind, the file (or the folder a save cannot write in) and
    /// what the system said; a success gives the records read, or the file written.
    std::variant<Error, std::string> outcome;
    Child child = AsRoot;
    bool othersLinks = false; // needs root, to give links to another user
};

constexpr uid_t kHer = 65534;

/// The folder every hostile case runs in, made once.
class PictureFileDeathTest : public testing::TestWithParam<HostileCase>
{
public:
    static void SetUpTestSuite()
    {
        s_folder = new TempFolder;
        const TempFolder &folder = *s_folder;
        fs::create_directory(folder / "sub");
        ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
        fs::create_symlink("loop", folder / "loop");
        fs::create_symlink("sub/../setuid.dat", folder / "link.dat");
        fs::create_symlink("fifo", folder / "fifolink");
        fs::create_symlink("/dev/null", folder / "null.dat");
        fs::create_symlink("../closed/new.dat", folder / "sub" / "back.dat");
        writeBytes(folder / "many.dat", records(1026));
        for (const char *sub : {"open", "closed"})
            fs::create_directory(folder / sub);
        for (const char *name :
            {"old.dat", "setuid.dat", "open/ro.dat", "open/secret.dat", "closed/rw.dat"})
            writeBytes(folder / name, "old");
        for (const auto &[name, bytes] :
            std::initializer_list<std::pair<const char *, std::string>> {
                {"bom.dat", "\xEF\xBB\xBF 5 \r\n 6"}, {"utf16.dat", std::string("\xFF\xFE 5\0", 5)},
                {"utf32.dat", std::string("\0\0\xFE\xFF\0\0\0 ", 8)},
                {"utf32le.dat", std::string("\xFF\xFE\0\0 \0\0\0", 8)},
                {"bound.dat", "7" + std::string(kMaxInputBytes - 1, 'x')}, {"huge.dat", "7"}})
            writeBytes(folder / name, bytes);
        fs::resize_file(folder / "huge.dat", kMaxInputBytes + 1); // sparse
        for (auto [name, mode] :
            {std::pair {"", 0755}, {"open", 0777}, {"open/ro.dat", 0444}, {"open/secret.dat", 0},
                {"closed", 0555}, {"closed/rw.dat", 0666}, {"setuid.dat", 07755}})
            ::chmod((folder / name).c_str(), mode_t(mode));
        for (const char *sub : {"real", "real/sub", "sticky"})
            fs::create_directory(folder / sub);
        writeBytes(folder / "real" / "sub" / "old.dat", "old");
        for (auto [name, mode] : {std::pair {"real", 0777}, {"real/sub", 0777},
                 {"real/sub/old.dat", 0666}, {"sticky", 01777}})
            ::chmod((folder / name).c_str(), mode_t(mode));
        // name, target, owner
        const std::tuple<const char *, std::string, uid_t> links[] = {
            {"sticky/hers", "../real", kHer}, {"sticky/mine", "../real", 0},
            {"sticky/hers.dat", "../real/sub/old.dat", kHer}, {"open/hers", "../real", kHer},
            {"real/back", "../real", 0}, {"abs", (folder / "real").string(), 0},
            {"sticky/chain", "../abs/sub", kHer}};
        // 41 links, each to the next, the last to a file.
        fs::create_directory(folder / "chain");
        writeBytes(folder / "chain" / "end.dat", "old");
        for (int n = 1; n <= 41; ++n)
            fs::create_symlink(
                n < 41 ? std::to_string(n + 1) : "end.dat", folder / "chain" / std::to_string(n));
        s_root = true;
        for (const auto &[name, target, owner] : links) {
            fs::create_symlink(target, folder / name);
            s_root = ::lchown((folder / name).c_str(), owner, owner) == 0 && s_root;
        }
    }
    static void TearDownTestSuite()
    {
        ::chmod((*s_folder / "closed").c_str(), 0755);
        delete s_folder;
    }

protected:
    static inline TempFolder *s_folder = nullptr;
    static inline bool s_root = false;
};

TEST_P(PictureFileDeathTest, HostileCase)
{
    const HostileCase &c = GetParam();
    const TempFolder &folder = *s_folder;
    // A save killed midway leaves nothing only where the file system has unnamed files.
    const int probe = ::open((folder / "").c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (c.child == Killed && !(probe >= 0 && ::close(probe) == 0))
        GTEST_SKIP() << "the file system has no unnamed files";
    if (c.othersLinks && !s_root)
        GTEST_SKIP() << "needs root, to give links to another user";
    const std::map<std::string, std::string> before = folder.tree();
    const fs::path path = folder / c.path;
    const auto attempt = [&] {
        g_noUnnamedFiles = c.child == NoUnnamed;
        g_diskFull = c.child == DiskFull;
        g_watchWrites = c.op == Write;
        if (c.child == AsUser && ::geteuid() == 0 && (::setgid(kHer) != 0 || ::setuid(kHer) != 0))
            std::_Exit(3);
        if (c.child == SmallFiles || c.child == Killed || c.child == NoUnnamed) {
            std::signal(SIGXFSZ, c.child == Killed ? SIG_DFL : SIG_IGN);
            const rlimit limit {100, 100};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        g_hideSize = c.child == Unsized;
        g_linkNowTo = c.child == LinkSwapped ? "old.dat" : nullptr;
        std::variant<Error, std::string> outcome = "";
        if (c.op == Write) {
            if (const Status s = writePicture(path, patternTable()); !s)
                outcome = s.error();
            else if (const std::string *file = std::get_if<std::string>(&c.outcome))
                outcome = *file; // the tree tells whether it was this file
        } else if (c.op == Number) {
            if (const Result<RowLines> lines = makeRowLines({}, c.path); !lines)
                outcome = lines.error();
        } else {
            const Result<std::string> bytes = readInputFile(path);
            const Result<PictureRecords> r = bytes ? readTextInput(bytes.value()) : bytes.error();
            if (!r)
                outcome = r.error();
            for (int i = 0; r && i < r.value().count; ++i)
                std::get<std::string>(outcome) += char('0' + r.value().values[std::size_t(i)]);
        }
        std::fprintf(stderr, "%s\n", said(outcome, folder.path).c_str());
        std::_Exit(0);
    };
    if (c.child == Killed)
        EXPECT_EXIT(attempt(), testing::KilledBySignal(SIGXFSZ), "");
    else
        EXPECT_EXIT(attempt(), testing::ExitedWithCode(0),
            testing::StartsWith(said(c.outcome, folder.path)));
    // A save that works writes its file and nothing else.
    std::map<std::string, std::string> expected = before;
    const std::string *written = c.op == Write ? std::get_if<std::string>(&c.outcome) : nullptr;
    if (written && !written->empty()) {
        const std::string picture = pictureFileText(patternTable());
        expected[*written] = std::to_string(std::hash<std::string> {}(picture));
        EXPECT_EQ(readBytes(folder / *written), picture);
    }
    EXPECT_EQ(folder.tree(), expected);
}

using K = ErrorKind;

Error failed(ErrorKind kind, const char *file, int error = 0, const char *text = "")
{
    return Error {.kind = kind, .file = file, .text = text, .systemError = error};
}

// clang-format off
const HostileCase kHostileCases[] = {
    {"SaveOverAFolder", Write, "sub", failed(K::CannotReplace, "sub", EISDIR)},
    {"SaveOverAFolderWithASlash", Write, "sub/", failed(K::CannotReplace, "sub/", EISDIR)},
    {"SaveOverAFifo", Write, "fifo", failed(K::OutputNotAFile, "fifo")},
    {"SaveThroughALinkLoop", Write, "loop", failed(K::CannotFollowLink, "loop", ELOOP)},
    {"SaveThroughALinkSwapped", Write, "link.dat", failed(K::LinkChanged, "link.dat"), LinkSwapped},
    {"SaveOverALinkToAFifo", Write, "fifolink", failed(K::OutputNotAFile, "fifolink")}, // not opened
    {"SaveOverALinkToADevice", Write, "null.dat", failed(K::OutputNotAFile, "null.dat")}, // not opened
    {"SaveInAMissingFolder", Write, "missing/p.dat", failed(K::CannotCreate, "missing", ENOENT)},
    {"SaveOnAFullDisk", Write, "sub/new.dat", failed(K::CannotWrite, "sub/new.dat", ENOSPC), DiskFull},
    {"SaveThroughALinkIntoAClosedFolder", Write, "sub/back.dat", failed(K::CannotCreate, "sub/../closed", EACCES), AsUser},
    {"SaveOverAReadOnlyFile", Write, "open/ro.dat", failed(K::CannotReplace, "open/ro.dat", EACCES), AsUser},
    {"SaveInAClosedFolder", Write, "closed/rw.dat", failed(K::CannotCreate, "closed", EACCES), AsUser},
    {"SaveBeyondTheSizeLimit", Write, "old.dat", failed(K::CannotWrite, "old.dat", EFBIG), SmallFiles},
    {"SaveKilledMidway", Write, "old.dat", "", Killed}, // SIGXFSZ not ignored: nothing is left behind
    {"SaveWithoutUnnamedFiles", Write, "old.dat", failed(K::CannotWrite, "old.dat", EFBIG), NoUnnamed},
    {"LoadAMissingFile", Read, "missing.dat", failed(K::CannotOpen, "missing.dat", ENOENT)},
    {"LoadAFolder", Read, "sub", failed(K::CannotOpen, "sub", EISDIR)},
    {"LoadAFifo", Read, "fifo", failed(K::NotAFile, "fifo")}, // and does not block
    {"LoadTooManyRecords", Read, "many.dat", failed(K::TooManyRecords, "")},
    {"LoadAFileNotReadable", Read, "open/secret.dat", failed(K::CannotOpen, "open/secret.dat", EACCES), AsUser},
    {"LoadTheLargestFile", Read, "bound.dat", "7"},
    {"LoadTooLarge", Read, "huge.dat", failed(K::TooLarge, "huge.dat")},
    {"LoadTooLargeWithoutASize", Read, "huge.dat", failed(K::TooLarge, "huge.dat"), Unsized},
    {"LoadAfterAByteOrderMark", Read, "bom.dat", "56"},
    {"LoadUtf16", Read, "utf16.dat", failed(K::WideText, "", 0, "UTF-16")},
    {"LoadUtf32", Read, "utf32.dat", failed(K::WideText, "", 0, "UTF-32")},
    {"LoadUtf32LittleEndian", Read, "utf32le.dat", failed(K::WideText, "", 0, "UTF-32")},
    // Links on the way to the file: another user's link in a sticky world-writable folder
    // is followed by no one but its owner, unless the folder's owner owns it too, whatever
    // fs.protected_symlinks says; any other link is followed from the folder that holds it.
    // Each save that works writes a file of its own: another user cannot replace it.
    {"HerLinkOneFolderUp", Write, "sticky/hers/sub/old.dat", failed(K::CannotFollowLink, "sticky/hers", EACCES), AsRoot, true},
    {"HerLinkAsTheLastFolder", Write, "sticky/hers/new.dat", failed(K::CannotFollowLink, "sticky/hers", EACCES), AsRoot, true},
    {"HerLinkAtTheEnd", Write, "sticky/hers.dat", failed(K::CannotFollowLink, "sticky/hers.dat", EACCES), AsRoot, true},
    {"HerLinkReachedThroughALink", Write, "abs/../sticky/hers/new.dat", failed(K::CannotFollowLink, "real/../sticky/hers", EACCES), AsRoot, true},
    {"HerLinkToALink", Write, "sticky/chain/chain.dat", "real/sub/chain.dat", AsUser, true},
    {"SaveThrough40Links", Write, "chain/2", "chain/end.dat"},
    {"SaveThrough41Links", Write, "chain/1", failed(K::CannotFollowLink, "chain/1", ELOOP)},
    {"ALoopOfFolders", Write, "loop/new.dat", failed(K::CannotFollowLink, "loop", ELOOP)},
    {"TheFollowersOwnLink", Write, "sticky/hers/sub/old.dat", "real/sub/old.dat", AsUser, true},
    {"TheFolderOwnersLink", Write, "sticky/mine/sub/mine.dat", "real/sub/mine.dat", AsUser, true},
    {"AFolderThatIsNotSticky", Write, "open/hers/sub/open.dat", "real/sub/open.dat", AsRoot, true},
    {"ARelativeLinkWithDotDotAfterIt", Write, "real/back/../real/back/sub/back.dat", "real/sub/back.dat"},
    {"StartNear1e16", Number, "9999999999999690", ""}, // near 1e16, yet with 32 different lines
    {"StartWhoseLinesRepeat", Number, "9999999999999700", failed(K::LineNumbersRepeat, "", 0, " 1E+16")},
    {"StartMostNegative", Number, "-1.7e308", failed(K::LineNumbersRepeat, "", 0, "-1.7E+308")}};
INSTANTIATE_TEST_SUITE_P(Cases, PictureFileDeathTest, testing::ValuesIn(kHostileCases),
    rowName<HostileCase>);
// clang-format on

struct RecordCase
{
    const char *name;
    std::string text;
    std::vector<int> values;
};

using RecordRules = testing::TestWithParam<RecordCase>;

TEST_P(RecordRules, Read)
{
    EXPECT_EQ(parse(GetParam().text), GetParam().values);
}

// clang-format off
const RecordCase kRecordRulesCases[] = {
    {"EmptyFile", "", {}}, {"AsWritten", " 5 \r\n 0 \r\n", {5, 0}},
    {"NoFinalLineEnd", "3\r\n4", {3, 4}}, {"FirstCharacterCounts", "12\r\n", {1}},
    {"SignIsNoDigit", "-3\r\n", {0}}, {"BlanksAndTabs", "  7\r\n\t 6\r\n", {7, 6}},
    {"LetterGivesZero", "a\r\nZ9\r\n", {0, 0}}, {"CommaEndsARecord", "3,4\r\n", {3, 4}},
    {"CommaAtALineEnd", "3,\r\n5", {3, 0, 5}}, {"CommaAtTheFileEnd", "3,", {3}},
    {"BlanksAtTheFileEnd", "3\r\n  ", {3, 0}}, {"LoneLfLoneCr", "1\n2\r3\r", {1, 2, 3}},
    {"LfCrIsTwoLineEnds", "1\n\r2", {1, 0, 2}},
    {"EmptyLineIsAnEmptyRecord", "1\r\n\r\n2\r\n", {1, 0, 2}},
    {"QuotesHoldCommasAndLineEnds", "\"4,5\",\"\r\n9\"\r\n", {4, 0}},
    {"EmptyQuotes", "\"\"\r\n1", {0, 1}}, {"BlanksInsideQuotesCount", "\" 5\"\r\n", {0}},
    {"TextAfterTheClosingQuote", "\"2\"x,3", {2, 3}},
    {"UnterminatedQuote", "\"7\r\n1\r\n2", {7}}, {"QuoteInsideARecord", "5\"1,2\"\r\n", {5, 2}},
    {"NulBytes", std::string("\0\r\n3\0\r\n", 7), {0, 3}},
    {"LongRecordsSkippedAWordAtATime", "1" + std::string(20, 'x') + "\n2"
        + std::string(17, '\t') + ",3" + std::string(9, '"') + "\r4" + std::string(9, ' ') + "\r5",
        {1, 2, 3, 4, 5}},
    {"NoBytesAbove127OrFullWidthDigits", "\xff\r\n\xef\xbc\x95\r\n4", {0, 0, 4}},
    {"EachQuotedRecordOnItsOwn", "\"1\",\"2\"\r\n\"\",3", {1, 2, 0, 3}}};
INSTANTIATE_TEST_SUITE_P(Texts, RecordRules, testing::ValuesIn(kRecordRulesCases),
    rowName<RecordCase>);
// clang-format on

TEST(PictureFileReader, UpTo1025RecordsFitAndAnyByteMoreIsRefused)
{
    for (const std::string extra : {"", " 1 \r\n", "\r\n", ",", " ", "x"})
        EXPECT_EQ(parse(records(1025) + extra).has_value(), extra.empty()) << '"' << extra << '"';
}

} // namespace
} // namespace dotdata
