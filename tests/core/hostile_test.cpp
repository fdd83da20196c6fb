// What a hostile or unlucky user does to the picture file and the start number, in one
// table: each row sets up its files, runs one operation and names the outcome. Whatever
// the outcome, nothing is left behind, and a failed operation leaves every file as it was.

#include "dotdata/datatext.h"
#include "dotdata/picturefile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
bool g_hideSize = false;
}

// Files under /proc report no size, and a file that grows while read reports less than
// it gives. Linked ahead of the C library's, this fstat hides the size when asked to.
extern "C" int fstat(int fd, struct stat *info)
{
    const int rc = ::fstatat(fd, "", info, AT_EMPTY_PATH);
    if (rc == 0 && g_hideSize)
        info->st_size = 0;
    return rc;
}

namespace dotdata {
namespace {

// The size and a hash of some bytes, short enough for a failure message.
std::string digest(const std::string &bytes)
{
    return std::to_string(bytes.size()) + " bytes #"
        + std::to_string(std::hash<std::string> {}(bytes));
}

// Every file, link and folder under a folder, with its contents' digest or link target.
std::map<std::string, std::string> tree(const fs::path &folder)
{
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(folder)) {
        std::string &what = tree[e.path().lexically_relative(folder)];
        if (e.is_symlink())
            what = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            what = digest({std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {}});
    }
    return tree;
}

void writeFile(const fs::path &path, std::string_view bytes, off_t size = 0)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
    if (size > 0)
        fs::resize_file(path, static_cast<std::uintmax_t>(size)); // sparse
}

void linkInStickyFolder(const fs::path &folder, const char *target, uid_t owner)
{
    fs::create_directory(folder / "sticky");
    ::chmod((folder / "sticky").c_str(), 01777);
    fs::create_symlink(target, folder / "sticky" / "link");
    ASSERT_EQ(::lchown((folder / "sticky" / "link").c_str(), owner, owner), 0);
}

// A save where the file size limit is 100 bytes, with the signal at its default.
void saveUnderFileSizeLimit(const fs::path &path)
{
    std::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit {100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    (void)writePictureFile(path, Picture::Table {});
}

enum class Op { Save, SaveUnderFileSizeLimit, Load, LoadSizeHidden, StartNumber };

struct Row
{
    const char *name;
    void (*setup)(const fs::path &folder);
    Op op;
    const char *arg; // a path in the folder, or the start number
    std::optional<ErrorKind> error; // nullopt: the operation works
    const char *said = ""; // part of the error message; after a load that works, the records
    mode_t mode = 0; // after a save that works, the saved file's mode bits
    bool needsLinkProtection = false;
};

const Row kRows[] = {
    {"setuid, setgid and sticky bits are not carried over",
        [](const fs::path &f) { ::chmod((f / "old.dat").c_str(), 07755); }, Op::Save, "old.dat", {},
        "", 0755},
    {"a save killed midway leaves no temporary file", nullptr, Op::SaveUnderFileSizeLimit,
        "old.dat", {}},
    {"one's own link in a sticky world-writable folder is followed",
        [](const fs::path &f) { linkInStickyFolder(f, "../old.dat", uid_t(-1)); }, Op::Save,
        "sticky/link", {}},
    {"another user's link there is refused, as the kernel refuses it",
        [](const fs::path &f) { linkInStickyFolder(f, "../old.dat", 65534); }, Op::Save,
        "sticky/link", ErrorKind::CannotWrite, "Permission denied", 0, true},
    {"and so is such a link when it dangles",
        [](const fs::path &f) { linkInStickyFolder(f, "../new.dat", 65534); }, Op::Save,
        "sticky/link", ErrorKind::CannotWrite, "Permission denied", 0, true},
    {"a file of exactly the bound is read",
        [](const fs::path &f) { writeFile(f / "in.dat", "7", kMaxPictureFileBytes); }, Op::Load,
        "in.dat", {}, "7"},
    {"a byte more is refused unread",
        [](const fs::path &f) { writeFile(f / "in.dat", "7", kMaxPictureFileBytes + 1); }, Op::Load,
        "in.dat", ErrorKind::TooLarge, "larger than 4 MiB"},
    {"a file that gives more than its size says is stopped at the bound",
        [](const fs::path &f) { writeFile(f / "in.dat", "7", kMaxPictureFileBytes + 1); },
        Op::LoadSizeHidden, "in.dat", ErrorKind::TooLarge, "larger than 4 MiB"},
    {"a UTF-8 byte-order mark is skipped",
        [](const fs::path &f) { writeFile(f / "in.dat", "\xEF\xBB\xBF 5 \r\n 6 \r\n"); }, Op::Load,
        "in.dat", {}, "56"},
    {"a file of only that mark has no records",
        [](const fs::path &f) { writeFile(f / "in.dat", "\xEF\xBB\xBF"); }, Op::Load, "in.dat", {},
        ""},
    {"UTF-16, little-endian",
        [](const fs::path &f) {
            writeFile(f / "in.dat", {"\xFF\xFE 5\0", 5});
        },
        Op::Load, "in.dat", ErrorKind::WideText, "UTF-16"},
    {"UTF-16, big-endian",
        [](const fs::path &f) {
            writeFile(f / "in.dat", {"\xFE\xFF\0 \0005", 6});
        },
        Op::Load, "in.dat", ErrorKind::WideText, "UTF-16"},
    {"UTF-32, little-endian",
        [](const fs::path &f) {
            writeFile(f / "in.dat", {"\xFF\xFE\0\0 \0\0\0", 8});
        },
        Op::Load, "in.dat", ErrorKind::WideText, "UTF-32"},
    {"UTF-32, big-endian",
        [](const fs::path &f) {
            writeFile(f / "in.dat", {"\0\0\xFE\xFF\0\0\0 ", 8});
        },
        Op::Load, "in.dat", ErrorKind::WideText, "UTF-32"},
    {"the largest start number with 32 different line numbers", nullptr, Op::StartNumber,
        "9999999999999690", {}},
    {"10 more, and lines 30 and 31 are both 1E+16", nullptr, Op::StartNumber, "9999999999999700",
        ErrorKind::LineNumbersRepeat, "\" 1E+16\" more than once"},
    {"the largest number", nullptr, Op::StartNumber, "-1.7e308", ErrorKind::LineNumbersRepeat,
        "\"-1.7E+308\" more than once"},
};

// The error of the operation, or nullopt when it worked; checks what it gave.
std::optional<Error> run(const Row &row, const fs::path &folder)
{
    const fs::path path = folder / row.arg;
    switch (row.op) {
    case Op::Save:
        if (Status saved = writePictureFile(path, Picture::Table {}); !saved)
            return saved.error();
        return std::nullopt;
    case Op::SaveUnderFileSizeLimit:
        EXPECT_EXIT(saveUnderFileSizeLimit(path), testing::KilledBySignal(SIGXFSZ), "");
        return std::nullopt;
    case Op::Load:
    case Op::LoadSizeHidden: {
        g_hideSize = row.op == Op::LoadSizeHidden;
        const Result<PictureRecords> read = readPictureFile(path);
        g_hideSize = false;
        if (!read)
            return read.error();
        std::string values;
        for (int i = 0; i < read.value().count; ++i)
            values += static_cast<char>('0' + read.value().values[static_cast<std::size_t>(i)]);
        EXPECT_EQ(values, row.said) << row.name;
        return std::nullopt;
    }
    case Op::StartNumber:
        if (Result<RowLines> lines = makeRowLines(Picture::Table {}, row.arg); !lines)
            return lines.error();
        return std::nullopt;
    }
    return std::nullopt;
}

void runRows(bool linkProtection)
{
    for (const Row &row : kRows) {
        if (row.needsLinkProtection != linkProtection)
            continue;
        std::string pattern = (fs::temp_directory_path() / "dotdata-hostile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        const fs::path folder = pattern;
        writeFile(folder / "old.dat", "old contents");
        if (row.setup)
            row.setup(folder);
        std::map<std::string, std::string> expected = tree(folder);

        const std::optional<Error> error = run(row, folder);
        EXPECT_EQ(error.has_value(), row.error.has_value()) << row.name;
        if (error && row.error) {
            EXPECT_EQ(error->kind, *row.error) << row.name;
            EXPECT_NE(error->message.find(row.said), std::string::npos) << error->message;
        }
        if (!error && row.op == Op::Save) {
            expected["old.dat"] = digest(pictureFileText(Picture::Table {}));
            struct stat info
            { };
            EXPECT_EQ(::stat((folder / "old.dat").c_str(), &info), 0);
            EXPECT_TRUE(!row.mode || (info.st_mode & 07777) == row.mode) << row.name;
        }
        EXPECT_EQ(tree(folder), expected) << row.name;
        fs::remove_all(folder);
    }
}

TEST(HostileDeathTest, Cases)
{
    runRows(false);
}

// Needs root (to plant another user's link) and the kernel's protection of links on.
TEST(HostileDeathTest, CasesUnderLinkProtection)
{
    std::ifstream setting("/proc/sys/fs/protected_symlinks");
    int on = 0;
    if (::geteuid() != 0 || !(setting >> on) || on != 1)
        GTEST_SKIP() << "needs root and fs.protected_symlinks = 1";
    runRows(true);
}

} // namespace
} // namespace dotdata
