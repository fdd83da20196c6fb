#include "dotdata/picturefile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {
namespace {

namespace fs = std::filesystem;

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "dotdata-test-XXXXXX").string();
        EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
        m_path = pattern;
    }
    ~TempFolder()
    {
        ::chmod(m_path.c_str(), 0700);
        fs::remove_all(m_path);
    }
    fs::path operator/(const std::string &name) const { return m_path / name; }
    const fs::path &path() const { return m_path; }

    /// The names in the folder, sorted: shows a temporary file left behind.
    std::vector<std::string> names() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path m_path;
};

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
        table[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i * 7 + i / 32) % 10);
    return table;
}

std::vector<int> values(const PictureRecords &r)
{
    return {r.values.begin(), r.values.begin() + r.count};
}

// Runs a check in a child process: permission checks need a user other than root, and
// a file size limit must not outlive the check. The child prints the error message.
template<typename Check>
void expectInChild(Check check, const char *messagePattern)
{
    EXPECT_EXIT(
        {
            const std::optional<Error> error = check();
            if (!error)
                std::_Exit(1);
            std::fprintf(stderr, "%s\n", error->message.c_str());
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), messagePattern);
}

void dropRoot()
{
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        std::_Exit(3);
}

TEST(PictureFileWriter, WritesEachCellAsNumberImageBlankCrLf)
{
    Picture::Table table = patternTable();
    std::string expected;
    for (int k = 0; k < kCells; ++k)
        expected += " " + std::to_string(table[static_cast<std::size_t>(k)]) + " \r\n";
    EXPECT_EQ(pictureFileText(table), expected);
    EXPECT_EQ(expected.size(), 5120u) << "entry 1024 is not written";

    table[0] = -3;
    table[1] = 12;
    EXPECT_EQ(pictureFileText(table).substr(0, 11), "-3 \r\n 12 \r\n");
}

TEST(PictureFileWriter, ReplacesTheFileKeepingItsPermissionsAndFollowsLinks)
{
    TempFolder folder;
    writeBytes(folder / "picture.dat", std::string(9000, 'x'));
    ::chmod((folder / "picture.dat").c_str(), 0640);
    fs::create_directory(folder / "real");
    writeBytes(folder / "real" / "target.dat", "old");
    fs::create_symlink("real/target.dat", folder / "link.dat");
    const std::string longest(NAME_MAX, 'n');

    const Picture::Table table = patternTable();
    ASSERT_TRUE(writePictureFile(folder / "picture.dat", table));
    ASSERT_TRUE(writePictureFile(folder / "link.dat", table));
    ASSERT_TRUE(writePictureFile(folder / longest, table)) << "the longest name a folder takes";

    EXPECT_EQ(readBytes(folder / "picture.dat"), pictureFileText(table));
    struct stat info
    { };
    ASSERT_EQ(::stat((folder / "picture.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_TRUE(fs::is_symlink(folder / "link.dat"));
    EXPECT_EQ(readBytes(folder / "real" / "target.dat"), pictureFileText(table));
    EXPECT_EQ(
        folder.names(), (std::vector<std::string> {"link.dat", longest, "picture.dat", "real"}));
}

TEST(PictureFileWriter, OnlyARegularFileIsReplacedAndAFailureNamesThePathAndTheReason)
{
    TempFolder folder;
    fs::create_directory(folder / "sub");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("loop", folder / "loop");
    struct Case
    {
        fs::path path;
        ErrorKind kind;
        const char *reason;
    };
    const Case cases[] = {
        {folder / "sub", ErrorKind::CannotWrite, "Is a directory"},
        {folder / "fifo", ErrorKind::NotAFile, "not a regular file"},
        {folder / "loop", ErrorKind::CannotOpen, "Too many levels of symbolic links"},
        {folder / "missing" / "p.dat", ErrorKind::CannotOpen, "No such file"},
    };
    for (const Case &c : cases) {
        const Status s = writePictureFile(c.path, Picture::Table {});
        ASSERT_FALSE(s) << c.path;
        EXPECT_EQ(s.error().kind, c.kind) << c.path;
        EXPECT_NE(s.error().message.find(c.path.parent_path().string()), std::string::npos)
            << s.error().message;
        EXPECT_NE(s.error().message.find(c.reason), std::string::npos) << s.error().message;
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string> {"fifo", "loop", "sub"}));
    EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
    EXPECT_TRUE(fs::is_empty(folder / "sub"));
}

TEST(PictureFileWriterDeathTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    const fs::path path = folder / "picture.dat";
    writeBytes(path, "old contents");

    // A read-only file in a folder anyone may write to is not replaced.
    ::chmod(folder.path().c_str(), 0777);
    ::chmod(path.c_str(), 0444);
    expectInChild(
        [&]() -> std::optional<Error> {
            dropRoot();
            const Status s = writePictureFile(path, Picture::Table {});
            return s ? std::nullopt : std::optional(s.error());
        },
        "cannot replace .*Permission denied");
    // A writable file in a read-only folder is not replaced either.
    ::chmod(path.c_str(), 0666);
    ::chmod(folder.path().c_str(), 0555);
    expectInChild(
        [&]() -> std::optional<Error> {
            dropRoot();
            const Status s = writePictureFile(path, Picture::Table {});
            return s ? std::nullopt : std::optional(s.error());
        },
        "cannot create .*Permission denied");
    ::chmod(folder.path().c_str(), 0700);

    EXPECT_EQ(readBytes(path), "old contents");
    EXPECT_EQ(folder.names(), std::vector<std::string> {"picture.dat"});
}

TEST(RecordParser, RecordRules)
{
    struct Case
    {
        const char *name;
        std::string text;
        std::vector<int> values;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"as written", " 5 \r\n 0 \r\n", {5, 0}},
        {"no final line end", "3\r\n4", {3, 4}},
        {"only the first character counts", "12\r\n", {1}},
        {"a sign is not a digit", "-3\r\n", {0}},
        {"blanks and tabs skipped", "  7\r\n\t 6\r\n", {7, 6}},
        {"a letter gives 0", "a\r\nZ9\r\n", {0, 0}},
        {"a comma ends a record", "3,4\r\n", {3, 4}},
        {"a comma at the end of a line", "3,\r\n5", {3, 0, 5}},
        {"a comma at the end of the file", "3,", {3}},
        {"blanks at the end of the file", "3\r\n  ", {3, 0}},
        {"lone LF", "1\n2\n3", {1, 2, 3}},
        {"lone CR", "1\r2\r3\r", {1, 2, 3}},
        {"LF CR is two line ends", "1\n\r2", {1, 0, 2}},
        {"an empty line is an empty record", "1\r\n\r\n2\r\n", {1, 0, 2}},
        {"quoted", "\"8\"\r\n", {8}},
        {"quotes hold commas and line ends", "\"4,5\",\"\r\n9\"\r\n", {4, 0}},
        {"empty quotes", "\"\"\r\n1", {0, 1}},
        {"blanks inside quotes count", "\" 5\"\r\n", {0}},
        {"text after the closing quote ignored", "\"2\"x,3", {2, 3}},
        {"unterminated quote runs to the end", "\"7\r\n1\r\n2", {7}},
        {"a quote inside a record is plain text", "5\"1,2\"\r\n", {5, 2}},
        {"NUL bytes", std::string("\0\r\n3\0\r\n", 7), {0, 3}},
        {"bytes above 127, no full-width digits", "\xff\xfe\r\n\xef\xbc\x95\r\n4", {0, 0, 4}},
    };
    for (const Case &c : cases) {
        // Fed whole and byte by byte: chunk boundaries must not matter.
        RecordParser whole;
        ASSERT_TRUE(whole.feed(c.text) && whole.finish()) << c.name;
        EXPECT_EQ(values(whole.records()), c.values) << c.name;

        RecordParser bytewise;
        for (char ch : c.text)
            ASSERT_TRUE(bytewise.feed(std::string_view(&ch, 1))) << c.name;
        ASSERT_TRUE(bytewise.finish()) << c.name;
        EXPECT_EQ(values(bytewise.records()), c.values) << c.name << " (byte by byte)";
    }
}

// The rest of a record is skipped several bytes at a time, so records of every length
// up to a few words, ending at each kind of record end, with every other byte value
// as filler, fed whole and in odd chunks that split the words.
TEST(RecordParser, LongRecordsEndAtTheirFirstCommaOrLineEnd)
{
    std::string filler;
    for (int b = 0; b < 256; ++b) {
        if (b != ',' && b != '\r' && b != '\n')
            filler += static_cast<char>(b);
    }
    std::string text;
    std::vector<int> expected;
    int next = 0;
    for (std::size_t length = 0; length <= 24; ++length) {
        for (const char *end : {",", "\r", "\n", "\r\n"}) {
            const int digit = next++ % 10;
            const std::string skipped = filler.substr((length * 7) % (filler.size() - 24), length);
            if (length % 2) { // quoted: the text between the quotes holds no quote
                std::string inside = skipped;
                std::replace(inside.begin(), inside.end(), '"', 'q');
                text += '"' + std::to_string(digit) + inside + "\"" + skipped;
            } else {
                text += std::to_string(digit) + skipped;
            }
            text += end;
            expected.push_back(digit);
        }
    }
    ASSERT_LE(expected.size(), static_cast<std::size_t>(kEntries));
    for (std::size_t chunk : {text.size(), std::size_t {3}, std::size_t {13}}) {
        RecordParser parser;
        for (std::size_t at = 0; at < text.size(); at += chunk)
            ASSERT_TRUE(parser.feed(std::string_view(text).substr(at, chunk)));
        ASSERT_TRUE(parser.finish());
        EXPECT_EQ(values(parser.records()), expected) << "chunks of " << chunk;
    }
}

TEST(RecordParser, UpTo1025RecordsFitAndTheNextOneFailsAsSoonAsItBegins)
{
    RecordParser full;
    ASSERT_TRUE(full.feed(records(1025)) && full.finish());
    EXPECT_EQ(full.records().count, 1025);

    for (const std::string extra : {" 1 \r\n", "\r\n", ",", " ", "x"}) {
        RecordParser parser;
        ASSERT_TRUE(parser.feed(records(1025)));
        const Status s = parser.feed(extra);
        ASSERT_FALSE(s) << '"' << extra << '"';
        EXPECT_EQ(s.error().kind, ErrorKind::TooManyRecords);
        EXPECT_FALSE(parser.feed("1")) << "a failed parser takes no more input";
        EXPECT_FALSE(parser.finish());
    }
}

TEST(PictureFileReader, RecordsFillEntriesFromZeroAndLeaveTheRestUntouched)
{
    TempFolder folder;
    const Picture::Table pattern = patternTable();
    ASSERT_TRUE(writePictureFile(folder / "round.dat", pattern));

    struct Case
    {
        std::string file, text;
        int count;
    };
    const Case cases[] = {{"round.dat", "", kCells}, {"empty", "", 0},
        {"ten", records(10, '3'), 10}, {"full", records(1025, '3'), 1025}};
    for (const Case &c : cases) {
        if (c.file != "round.dat")
            writeBytes(folder / c.file, c.text);
        Picture picture;
        for (int i = 0; i < kEntries; ++i)
            picture.store(i, 8);

        const Result<PictureRecords> read = readPictureFile(folder / c.file);
        ASSERT_TRUE(read) << read.error().message;
        ASSERT_EQ(read.value().count, c.count) << c.file;
        read.value().applyTo(picture);
        for (int i = 0; i < kEntries; ++i) {
            const int expected = i >= c.count ? 8 : c.file == "round.dat" ? pattern[i] : 3;
            ASSERT_EQ(picture.entry(i), expected) << c.file << " entry " << i;
        }
    }
}

TEST(PictureFileReader, FailuresNameThePathAndTheReason)
{
    TempFolder folder;
    writeBytes(folder / "many.dat", records(1026));
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    struct Case
    {
        fs::path path;
        ErrorKind kind;
        const char *reason;
    };
    const Case cases[] = {
        {folder / "missing.dat", ErrorKind::CannotOpen, "No such file"},
        {folder.path(), ErrorKind::CannotOpen, "Is a directory"},
        {folder / "fifo", ErrorKind::NotAFile, "not a regular file"}, // and does not block
        {folder / "many.dat", ErrorKind::TooManyRecords, "more than 1025 records"},
    };
    for (const Case &c : cases) {
        const Result<PictureRecords> read = readPictureFile(c.path);
        ASSERT_FALSE(read) << c.path;
        EXPECT_EQ(read.error().kind, c.kind) << c.path;
        EXPECT_NE(read.error().message.find(c.path.string()), std::string::npos)
            << read.error().message;
        EXPECT_NE(read.error().message.find(c.reason), std::string::npos) << read.error().message;
    }
}

TEST(PictureFileReaderDeathTest, AnUnreadableFileCannotBeOpened)
{
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    const fs::path path = folder / "secret.dat";
    writeBytes(path, records(3));
    ::chmod(path.c_str(), 0);
    expectInChild(
        [&]() -> std::optional<Error> {
            dropRoot();
            const Result<PictureRecords> read = readPictureFile(path);
            return read ? std::nullopt : std::optional(read.error());
        },
        "cannot open .*Permission denied");
}

TEST(PictureFileReader, ALongLineWithoutLineEndIsOneRecord)
{
    TempFolder folder;
    writeBytes(folder / "long.dat", "7" + std::string(3 * 1024 * 1024, 'x'));
    const Result<PictureRecords> read = readPictureFile(folder / "long.dat");
    ASSERT_TRUE(read);
    EXPECT_EQ(values(read.value()), std::vector<int> {7});
}

} // namespace
} // namespace dotdata
