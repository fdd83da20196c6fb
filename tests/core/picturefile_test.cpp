#include "dotdata/picturefile.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dotdata {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::vector<int> recordValues(const PictureRecords &records)
{
    return {records.values.begin(), records.values.begin() + records.count};
}

Result<PictureRecords> parseWhole(std::string_view text)
{
    RecordParser parser;
    if (Status s = parser.feed(text); !s)
        return s.error();
    if (Status s = parser.finish(); !s)
        return s.error();
    return parser.records();
}

std::vector<std::string> filesIn(const std::filesystem::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs a check in a child process without root's privileges, so that permission
// checks apply when the tests run as root.
void dropPrivileges()
{
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        std::_Exit(3);
}

void limitFileSize(rlim_t bytes)
{
    rlimit limit{};
    limit.rlim_cur = bytes;
    limit.rlim_max = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(2);
}

TEST(PictureFileWriter, WritesEveryCellAsNumberImageBlankCrLf)
{
    Picture::Table table = test::patternTable();
    table[1024] = 6;
    std::string expected;
    for (int k = 0; k < kCells; ++k)
        expected += " " + std::to_string(table[static_cast<std::size_t>(k)]) + " \r\n";

    const std::string text = pictureFileText(table);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.size(), 5120u);
    EXPECT_EQ(text.substr(0, 10), " 0 \r\n 7 \r\n");

    table[0] = -3;
    table[1] = 12;
    EXPECT_EQ(pictureFileText(table).substr(0, 11), "-3 \r\n 12 \r\n");
}

TEST(PictureFileWriter, SavesTheBytesAndReplacesAnExistingFile)
{
    TempFolder folder;
    const auto path = folder / "picture.dat";
    writeBytes(path, std::string(9000, 'x'));
    ::chmod(path.c_str(), 0640);

    const Picture::Table table = test::patternTable();
    const Status saved = writePictureFile(path, table);
    ASSERT_TRUE(saved) << saved.error().message;

    EXPECT_EQ(readBytes(path), pictureFileText(table));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "the old file's permissions are kept";
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"picture.dat"}) << "no temporary file is left";
}

TEST(PictureFileWriter, ASymbolicLinkHasItsTargetReplaced)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    writeBytes(folder / "real" / "target.dat", "old");
    std::filesystem::create_symlink("real/target.dat", folder / "link.dat");

    ASSERT_TRUE(writePictureFile(folder / "link.dat", Picture::Table{}));

    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.dat"));
    EXPECT_EQ(readBytes(folder / "real" / "target.dat"), pictureFileText(Picture::Table{}));
}

TEST(PictureFileWriter, FailuresLeaveTheOldFileAndNoTemporaryFile)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "sub");
    writeBytes(folder / "sub" / "keep.txt", "keep");

    const Status intoFolder = writePictureFile(folder / "sub", Picture::Table{});
    ASSERT_FALSE(intoFolder);
    EXPECT_EQ(intoFolder.error().kind, ErrorKind::CannotWrite);
    EXPECT_NE(intoFolder.error().message.find((folder / "sub").string()), std::string::npos)
        << intoFolder.error().message;
    EXPECT_NE(intoFolder.error().message.find("directory"), std::string::npos) << intoFolder.error().message;
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"sub"});
    EXPECT_EQ(readBytes(folder / "sub" / "keep.txt"), "keep");

    const Status noFolder = writePictureFile(folder / "missing" / "p.dat", Picture::Table{});
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().kind, ErrorKind::CannotOpen);
    EXPECT_NE(noFolder.error().message.find("No such file"), std::string::npos) << noFolder.error().message;
}

TEST(PictureFileWriterDeathTest, AReadOnlyFolderFailsAndKeepsTheOldFile)
{
    TempFolder folder;
    const auto path = folder / "picture.dat";
    writeBytes(path, "old contents");
    ::chmod(folder.path().c_str(), 0555);

    EXPECT_EXIT(
        {
            dropPrivileges();
            const Status s = writePictureFile(path, Picture::Table{});
            if (s || s.error().kind != ErrorKind::CannotOpen)
                std::_Exit(1);
            std::fprintf(stderr, "%s\n", s.error().message.c_str());
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "Permission denied");
    EXPECT_EQ(readBytes(path), "old contents");
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"picture.dat"});
}

TEST(PictureFileWriterDeathTest, AFailingWriteKeepsTheOldFile)
{
    TempFolder folder;
    const auto path = folder / "picture.dat";
    writeBytes(path, "old contents");

    // A file size limit below the picture's 5120 bytes makes the write itself fail.
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            limitFileSize(100);
            const Status s = writePictureFile(path, Picture::Table{});
            if (s || s.error().kind != ErrorKind::CannotWrite)
                std::_Exit(1);
            std::fprintf(stderr, "%s\n", s.error().message.c_str());
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "File too large");
    EXPECT_EQ(readBytes(path), "old contents");
    EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"picture.dat"});
}

TEST(RecordParser, RecordRules)
{
    struct Case {
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
        {"a blank line is an empty record", "1\n   \n2\n", {1, 0, 2}},
        {"quoted", "\"8\"\r\n", {8}},
        {"quotes hold commas", "\"4,5\",6\r\n", {4, 6}},
        {"quotes hold line ends", "\"\r\n9\"\r\n", {0}},
        {"empty quotes", "\"\"\r\n1", {0, 1}},
        {"blanks inside quotes count", "\" 5\"\r\n", {0}},
        {"text after the closing quote ignored", "\"2\"x,3", {2, 3}},
        {"unterminated quote runs to the end", "\"7\r\n1\r\n2", {7}},
        {"a quote inside a record is plain text", "5\"1,2\"\r\n", {5, 2}},
        {"NUL bytes", std::string("\0\r\n3\0\r\n", 7), {0, 3}},
        {"bytes above 127", "\xff\xfe\r\n\xe3\x81\x82\r\n4", {0, 0, 4}},
        {"digits only in ASCII", "\xef\xbc\x95\r\n", {0}},
    };
    for (const Case &c : cases) {
        const Result<PictureRecords> whole = parseWhole(c.text);
        ASSERT_TRUE(whole) << c.name;
        EXPECT_EQ(recordValues(whole.value()), c.values) << c.name;

        // Every split of the input into chunks gives the same records.
        RecordParser bytewise;
        for (char ch : c.text)
            ASSERT_TRUE(bytewise.feed(std::string_view(&ch, 1))) << c.name;
        ASSERT_TRUE(bytewise.finish()) << c.name;
        EXPECT_EQ(recordValues(bytewise.records()), c.values) << c.name << " (fed byte by byte)";
    }
}

std::string records(int count, char digit = '1')
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::string(" ") + digit + " \r\n";
    return text;
}

TEST(RecordParser, UpTo1025RecordsFitAndTheNextOneFailsAtOnce)
{
    const Result<PictureRecords> full = parseWhole(records(1025));
    ASSERT_TRUE(full);
    EXPECT_EQ(full.value().count, 1025);
    EXPECT_EQ(full.value().values[1024], 1);

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

TEST(PictureFileReader, RoundTripRestoresCellsAndLeavesEntry1024)
{
    TempFolder folder;
    const auto path = folder / "round.dat";
    Picture source;
    for (int n = 0; n < kCells; ++n)
        ASSERT_TRUE(source.store(n, test::patternTable()[static_cast<std::size_t>(n)]));
    ASSERT_TRUE(writePictureFile(path, source.table()));

    Picture target;
    ASSERT_TRUE(target.store(1024, 8));
    const Result<PictureRecords> read = readPictureFile(path);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read.value().count, 1024);
    read.value().applyTo(target);

    for (int n = 0; n < kCells; ++n)
        ASSERT_EQ(target.entry(n).value(), source.entry(n).value()) << n;
    EXPECT_EQ(target.entry(1024).value(), 8);
}

TEST(PictureFileReader, FewerRecordsChangeOnlyTheirEntriesAndAnEmptyFileNothing)
{
    TempFolder folder;
    for (const int count : {0, 10, 1025}) {
        const auto path = folder / ("n" + std::to_string(count));
        writeBytes(path, records(count, '3'));
        Picture picture;
        for (int i = 0; i < kEntries; ++i)
            ASSERT_TRUE(picture.store(i, 6));

        const Result<PictureRecords> read = readPictureFile(path);
        ASSERT_TRUE(read) << count;
        read.value().applyTo(picture);
        for (int i = 0; i < kEntries; ++i)
            ASSERT_EQ(picture.entry(i).value(), i < count ? 3 : 6) << count << " records, entry " << i;
    }
}

TEST(PictureFileReader, FailuresAreReportedWithThePath)
{
    TempFolder folder;
    writeBytes(folder / "many.dat", records(1026));
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    struct Case {
        std::string name;
        ErrorKind kind;
        const char *reason;
    };
    const Case cases[] = {
        {"missing.dat", ErrorKind::CannotOpen, "No such file"},
        {"", ErrorKind::CannotOpen, "Is a directory"},
        {"fifo", ErrorKind::CannotOpen, "not a regular file"},
        {"many.dat", ErrorKind::TooManyRecords, "more than 1025 records"},
    };
    for (const Case &c : cases) {
        const auto path = c.name.empty() ? folder.path() : folder / c.name;
        const Result<PictureRecords> read = readPictureFile(path);
        ASSERT_FALSE(read) << c.name;
        EXPECT_EQ(read.error().kind, c.kind) << c.name;
        EXPECT_NE(read.error().message.find(path.string()), std::string::npos) << read.error().message;
        EXPECT_NE(read.error().message.find(c.reason), std::string::npos) << read.error().message;
    }
}

TEST(PictureFileReaderDeathTest, AnUnreadableFileCannotBeOpened)
{
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    const auto path = folder / "secret.dat";
    writeBytes(path, records(3));
    ::chmod(path.c_str(), 0);

    EXPECT_EXIT(
        {
            dropPrivileges();
            const Result<PictureRecords> read = readPictureFile(path);
            if (read || read.error().kind != ErrorKind::CannotOpen)
                std::_Exit(1);
            std::fprintf(stderr, "%s\n", read.error().message.c_str());
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "Permission denied");
}

TEST(PictureFileReader, ALongLineWithoutLineEndIsOneRecord)
{
    TempFolder folder;
    const auto path = folder / "long.dat";
    writeBytes(path, "7" + std::string(3 * 1024 * 1024, 'x'));
    const Result<PictureRecords> read = readPictureFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(recordValues(read.value()), std::vector<int>{7});
}

} // namespace
} // namespace dotdata
