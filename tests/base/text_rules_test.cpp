// The reading rules every program shares: lines and numbers.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/encoding.h"
#include "base/numbers.h"
#include "base/text_file.h"
#include "test_support/scratch_folder.h"

namespace {

TEST(LineReader, EndsLinesAtCrLfCrLfNulAndTheEnd) {
    LineReader in(std::string("a\r\nb\nc\rd\0e\r\r\nf", 14));
    EXPECT_EQ(in.readLine(), "a");
    EXPECT_EQ(in.readLine(), "b");
    EXPECT_EQ(in.readLine(), "c");
    EXPECT_EQ(in.readLine(), "d");
    EXPECT_EQ(in.readLine(), "e");
    EXPECT_EQ(in.readLine(), "");  // CR then CR LF: an empty line between
    EXPECT_EQ(in.readLine(), "f");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.readLine(), "");  // past the end: empty lines for ever
    EXPECT_EQ(in.readLine(), "");
    LineReader lfcr("x\n\ry");
    EXPECT_EQ(lfcr.readLine(), "x");  // LF CR is two marks, not one
    EXPECT_EQ(lfcr.readLine(), "");
    EXPECT_EQ(lfcr.readLine(), "y");
}

TEST(LineReader, AMissingFileReadsAsEmptyLines) {
    ScratchFolder folder;
    LineReader in = LineReader::open("Data/none.txt");
    EXPECT_EQ(in.readLine(), "");
    EXPECT_FALSE(readWholeFile("Data/none.txt").has_value());
    const std::string longLine(100000, 'x');
    writeFileBytes("long.txt", longLine + "\r\nend");
    LineReader big = LineReader::open("long.txt");
    EXPECT_EQ(big.readLine(), longLine);  // no length limit
    EXPECT_EQ(big.readLine(), "end");
}

TEST(NumberParse, ReadsDecimalHexBinarySignsAndIgnoresTheRest) {
    EXPECT_EQ(parseNumber("1920"), 1920);
    EXPECT_EQ(parseNumber(" 1024"), 1024);
    EXPECT_EQ(parseNumber("\t 768px"), 768);
    EXPECT_EQ(parseNumber("1920 Pixel breit"), 1920);
    EXPECT_EQ(parseNumber("12.9"), 12);
    EXPECT_EQ(parseNumber("$400"), 1024);
    EXPECT_EQ(parseNumber("$fF"), 255);
    EXPECT_EQ(parseNumber("%101"), 5);
    EXPECT_EQ(parseNumber("%102"), 2);  // stops at the first digit that does not fit
    EXPECT_EQ(parseNumber("-42"), -42);
    EXPECT_EQ(parseNumber("+42"), 42);
    EXPECT_EQ(parseNumber("-$10"), -16);
    EXPECT_EQ(parseNumber(""), 0);
    EXPECT_EQ(parseNumber("abc"), 0);
    EXPECT_EQ(parseNumber("- 5"), 0);
    EXPECT_EQ(parseNumber("$"), 0);
    EXPECT_EQ(parseNumber("9223372036854775807"), INT64_MAX);
    // Far too many digits wrap instead of trapping.
    (void)parseNumber(std::string(500, '9'));
}

TEST(Numbers, RoundHalfAwayFromZeroAndSaturate) {
    EXPECT_EQ(roundToInt(2.5), 3);
    EXPECT_EQ(roundToInt(-2.5), -3);
    EXPECT_EQ(roundToInt(2.4999), 2);
    EXPECT_EQ(roundToInt(-0.4), 0);
    EXPECT_EQ(roundToInt(1e300), 2147483647);
    EXPECT_EQ(roundToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(roundToInt(0.0 / 0.0), 0);
    EXPECT_EQ(formatWhole(1919.6), "1920");
    EXPECT_EQ(formatWhole(-3), "-3");
}

TEST(SafeWrite, ReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
    ScratchFolder folder;
    writeFileBytes("Data/f.txt", "old and long content");
    ASSERT_TRUE(writeFileSafely("Data/f.txt", "new"));
    EXPECT_EQ(readFileBytes("Data/f.txt"), "new");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator("Data")) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
    // A folder that does not exist cannot take the file; the failure is told.
    EXPECT_FALSE(writeFileSafely("Nowhere/f.txt", "x"));
}

TEST(SafeWrite, AWriteThatRunsOutOfRoomKeepsTheOldFileAndSaysWhy) {
    ScratchFolder folder;
    writeFileBytes("Data/f.txt", "the old file");
    // A file size limit stops the write part-way, as a full disk does, and
    // holds for root too. The signal it raises would end the process.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult result = writeFileSafely("Data/f.txt", std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result);
    EXPECT_EQ(result.reason, std::strerror(EFBIG));
    EXPECT_EQ(readFileBytes("Data/f.txt"), "the old file");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator("Data"))
        if (e.is_regular_file()) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"f.txt"});
}

TEST(Encoding, Windows1252RoundTripsThroughUtf8) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // the euro sign
    EXPECT_EQ(cp1252ToUtf8("M\xF6nch"), "M\xC3\xB6nch");
    EXPECT_EQ(utf8ToCp1252("\xE2\x98\x83"), "?");             // a snowman has no place in 1252
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a\xC3");                // cut short: kept as it was
    EXPECT_EQ(utf8ToCp1252("\xF8\x80\x80"), "\xF8\x80\x80");  // no sequence starts with F8
}

}  // namespace
