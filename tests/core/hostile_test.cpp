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
using namespace std::string_view_literals;

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

// Every file, link and folder under a folder, with its contents' hash or link target.
std::map<std::string, std::string> tree(const fs::path &folder)
{
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(folder)) {
        std::string &what = tree[e.path().lexically_relative(folder)];
        if (e.is_symlink())
            what = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            what = std::to_string(std::hash<std::string> {}(
                {std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {}}));
    }
    return tree;
}

void writeFile(const fs::path &path, std::string_view bytes, std::int64_t size = 0)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
    if (size > 0)
        fs::resize_file(path, static_cast<std::uintmax_t>(size)); // sparse
}

enum class Op { SaveSetuid, SaveKilled, SaveViaOthersLink, Load, LoadUnsized, Number };

struct Row
{
    const char *name;
    Op op;
    std::string_view arg; // the bytes of a file to load, a link's target, or a start number
    std::optional<ErrorKind> error; // nullopt: the operation works
    const char *said = ""; // in the error message; after a load that works, its records
    std::int64_t size = 0; // a file to load is made this long (sparse)
};

const Row kRows[] = {
    {"setuid, setgid and sticky bits are not carried over", Op::SaveSetuid, "", {}},
    {"a save killed midway leaves no temporary file", Op::SaveKilled, "", {}},
    {"another user's link in a sticky world-writable folder is refused, as by the kernel",
        Op::SaveViaOthersLink, "../old.dat", ErrorKind::CannotWrite, "Permission denied"},
    {"and so is such a link when it dangles", Op::SaveViaOthersLink, "../new.dat",
        ErrorKind::CannotWrite, "Permission denied"},
    {"a file of exactly the bound is read", Op::Load, "7", {}, "7", kMaxInputBytes},
    {"a byte more is refused", Op::Load, "7", ErrorKind::TooLarge, "larger than 16 MiB",
        kMaxInputBytes + 1},
    {"a file that gives more than its size says is stopped at the bound", Op::LoadUnsized, "7",
        ErrorKind::TooLarge, "larger than 16 MiB", kMaxInputBytes + 1},
    {"a UTF-8 byte-order mark is skipped", Op::Load, "\xEF\xBB\xBF 5 \r\n 6", {}, "56"},
    {"UTF-16, little-endian", Op::Load, "\xFF\xFE 5\0"sv, ErrorKind::WideText, "UTF-16"},
    {"UTF-16, big-endian", Op::Load, "\xFE\xFF\0 "sv, ErrorKind::WideText, "UTF-16"},
    {"UTF-32, little-endian", Op::Load, "\xFF\xFE\0\0 \0\0\0"sv, ErrorKind::WideText, "UTF-32"},
    {"UTF-32, big-endian", Op::Load, "\0\0\xFE\xFF\0\0\0 "sv, ErrorKind::WideText, "UTF-32"},
    {"the last start number before 1e16 whose 32 line numbers differ", Op::Number,
        "9999999999999690", {}},
    {"10 more, and lines 30 and 31 are both 1E+16", Op::Number, "9999999999999700",
        ErrorKind::LineNumbersRepeat, "\" 1E+16\" more than once"},
    {"all 32 lines alike", Op::Number, "-1.7e308", ErrorKind::LineNumbersRepeat,
        "\"-1.7E+308\" more than once"},
};

void runRows(bool underLinkProtection)
{
    for (const Row &row : kRows) {
        if ((row.op == Op::SaveViaOthersLink) != underLinkProtection)
            continue;
        std::string pattern = (fs::temp_directory_path() / "dotdata-hostile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        const fs::path folder = pattern, old = folder / "old.dat", link = folder / "sticky/link";
        writeFile(old, "old contents");
        if (row.op == Op::SaveSetuid)
            ::chmod(old.c_str(), 07755);
        if (row.op == Op::SaveViaOthersLink) {
            fs::create_directory(folder / "sticky");
            ::chmod((folder / "sticky").c_str(), 01777);
            fs::create_symlink(row.arg, link);
            ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
        }
        if (row.op == Op::Load || row.op == Op::LoadUnsized)
            writeFile(folder / "in.dat", row.arg, row.size);
        std::map<std::string, std::string> expected = tree(folder);

        std::optional<Error> error;
        std::string records;
        if (row.op == Op::SaveKilled) {
            EXPECT_EXIT( // a file size limit of 100 bytes, SIGXFSZ at its default
                {
                    std::signal(SIGXFSZ, SIG_DFL);
                    rlimit limit {};
                    limit.rlim_cur = limit.rlim_max = 100;
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                    (void)writePictureFile(old, {});
                },
                testing::KilledBySignal(SIGXFSZ), "");
        } else if (row.op == Op::SaveSetuid || row.op == Op::SaveViaOthersLink) {
            if (Status saved = writePictureFile(row.arg.empty() ? old : link, {}); !saved)
                error = saved.error();
            else
                expected["old.dat"] = std::to_string(
                    std::hash<std::string> {}(pictureFileText({})));
        } else if (row.op == Op::Number) {
            if (Result<RowLines> lines = makeRowLines({}, row.arg); !lines)
                error = lines.error();
        } else {
            g_hideSize = row.op == Op::LoadUnsized;
            const Result<PictureRecords> read = readPictureFile(folder / "in.dat");
            g_hideSize = false;
            if (!read)
                error = read.error();
            for (int i = 0; read && i < read.value().count; ++i)
                records += static_cast<char>(
                    '0' + read.value().values[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(error ? std::optional(error->kind) : std::nullopt, row.error) << row.name;
        const std::string said = error ? error->message : records;
        EXPECT_TRUE(error ? said.find(row.said) != std::string::npos : said == row.said)
            << row.name << ": " << said;
        if (row.op == Op::SaveSetuid) {
            EXPECT_EQ(fs::status(old).permissions(), fs::perms(0755));
        }
        EXPECT_EQ(tree(folder), expected) << row.name;
        fs::remove_all(folder);
    }
}

TEST(HostileDeathTest, Cases)
{
    runRows(false);
}

// Planting another user's link needs root, and the kernel's protection of links must be on.
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
