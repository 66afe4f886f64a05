#include "datafiles/options_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "test_support/scratch_folder.h"

namespace {

std::vector<std::string> shown;
void recordBox(const char* title, const char*) {
    shown.push_back(title);
}

class OptionsFile : public ::testing::Test {
  protected:
    void SetUp() override { shown.clear(); }
    ScratchFolder folder;
};

TEST_F(OptionsFile, GameCreatesItsDefaultFileAndSaysSo) {
    Options o;
    ASSERT_TRUE(readOptions(o, 1920, 1080, recordBox));
    EXPECT_EQ(readFileBytes(kOptionsPath), "Spieler 1\r\nSpieler 2\r\n1\r\n0\r\n1920\r\n1080\r\n0");
    EXPECT_EQ(shown, std::vector<std::string>{"Optionen"});
    EXPECT_EQ(o.name1, "Spieler 1");
    EXPECT_EQ(o.windowWidth, 1920);
    EXPECT_EQ(o.windowHeight, 1080);
    // The second start finds the file and says nothing.
    shown.clear();
    ASSERT_TRUE(readOptions(o, 800, 600, recordBox));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(o.windowWidth, 1920);
}

TEST_F(OptionsFile, ReadsLooseNumbersLfOnlyFilesAndMissingLines) {
    writeFileBytes(kOptionsPath, "Anna\nBj\xF6rn\n2\n1\n 1024\n768abc\n1\n");
    Options o;
    ASSERT_TRUE(readOptions(o, 1, 1, recordBox));
    EXPECT_EQ(o.name1, "Anna");
    EXPECT_EQ(o.name2, "Bj\xF6rn");
    EXPECT_EQ(o.playerCount, 2);
    EXPECT_EQ(o.difficulty, 1);
    EXPECT_EQ(o.windowWidth, 1024);
    EXPECT_EQ(o.windowHeight, 768);
    EXPECT_EQ(o.customPowerUpsEnabled, 1);
    writeFileBytes(kOptionsPath, "Anna\r\n\r\n2\r\n$2\r\n%11001000\r\n$C8");
    o = parseOptions(readFileBytes(kOptionsPath));
    EXPECT_EQ(o.name2, "");
    EXPECT_EQ(o.difficulty, 2);
    EXPECT_EQ(o.windowWidth, 200);
    EXPECT_EQ(o.windowHeight, 200);
    EXPECT_EQ(o.customPowerUpsEnabled, 0);  // the missing seventh line reads 0
}

TEST_F(OptionsFile, WindowsBelowOneHundredPixelsStopTheGame) {
    Options o;
    writeFileBytes(kOptionsPath, "a\r\nb\r\n1\r\n0\r\n99\r\n5000\r\n0");
    EXPECT_FALSE(readOptions(o, 1920, 1080, recordBox));
    EXPECT_EQ(shown, std::vector<std::string>{"Screen-Error"});
    writeFileBytes(kOptionsPath, "a\r\nb\r\n1\r\n0\r\n5000\r\n99\r\n0");
    EXPECT_FALSE(readOptions(o, 1920, 1080, recordBox));
    shown.clear();
    writeFileBytes(kOptionsPath, "a\r\nb\r\n1\r\n0\r\n100\r\n100\r\n0");
    EXPECT_TRUE(readOptions(o, 1920, 1080, recordBox));
    EXPECT_TRUE(shown.empty());
    // Without a Data folder nothing can be created: empty names, width 0, stop.
    std::filesystem::remove_all("Data");
    EXPECT_FALSE(readOptions(o, 1920, 1080, recordBox));
    EXPECT_EQ(shown, (std::vector<std::string>{"Optionen", "Screen-Error"}));
    EXPECT_EQ(o.name1, "");
}

TEST_F(OptionsFile, HeadRewriteKeepsEverythingAfterTheFourthLine) {
    const std::string tail = "\r\n1600\r\n900\r\n1";
    writeFileBytes(kOptionsPath, "Spieler 1\r\nSpieler 2\r\n1\r\n0" + tail);
    rewriteOptionsHead("Spieler 1", "Spieler 2", 2, 2);
    // Same names: only lines 3 and 4 change, byte for byte like an overwrite.
    EXPECT_EQ(readFileBytes(kOptionsPath), "Spieler 1\r\nSpieler 2\r\n2\r\n2" + tail);

    // LF-only file: the new head is longer than the old one and must not eat
    // into line 5.
    writeFileBytes(kOptionsPath, "A\nB\n1\n0\n1600\n900\n0");
    rewriteOptionsHead("A", "B", 2, 1);
    EXPECT_EQ(readFileBytes(kOptionsPath), "A\r\nB\r\n2\r\n1\n1600\n900\n0");
    Options o = readOptionsFile(kOptionsPath);
    EXPECT_EQ(o.windowWidth, 1600);
    EXPECT_EQ(o.windowHeight, 900);

    // Longer names and a short file; then a missing file gets just the head.
    writeFileBytes(kOptionsPath, "x\r\ny");
    rewriteOptionsHead("Langer Name", "\xC4rger", 1, 0);
    EXPECT_EQ(readFileBytes(kOptionsPath), "Langer Name\r\n\xC4rger\r\n1\r\n0");
    std::filesystem::remove(kOptionsPath);
    rewriteOptionsHead("a", "b", 1, 2);
    EXPECT_EQ(readFileBytes(kOptionsPath), "a\r\nb\r\n1\r\n2");
}

TEST_F(OptionsFile, ToolWritesItsOwnDefaultsAndSavesSevenFullLines) {
    Options o = loadOptionsForTool(1280, 1024);
    EXPECT_EQ(readFileBytes(kOptionsPath), "Spieler1\r\nSpieler2\r\n1\r\n0\r\n1280\r\n1024\r\n0");
    EXPECT_EQ(o.name1, "Spieler1");
    writeFileBytes(kOptionsPath, "a\r\nb\r\n2\r\n1\r\n800\r\n600\r\n0\r\n\r\n\r\n   \r\n");
    o = loadOptionsForTool(1280, 1024);
    o.windowWidth = 640;
    o.windowHeight = 480;
    o.customPowerUpsEnabled = 1;
    ASSERT_TRUE(saveOptionsFromTool(o));
    EXPECT_EQ(readFileBytes(kOptionsPath), "a\r\nb\r\n2\r\n1\r\n640\r\n480\r\n1\r\n");
}

}  // namespace
