#include "datafiles/score_table.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "base/text_file.h"
#include "test_support/scratch_folder.h"

namespace {

std::string allScoreCharacters() {
    std::string all;
    for (int c = 0; c < 256; ++c)
        if (isScoreCharacter(static_cast<unsigned char>(c))) all += static_cast<char>(c);
    return all;
}

std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    LineReader in(bytes);
    while (!in.atEnd()) lines.push_back(in.readLine());
    return lines;
}

GameResult game(double players, double difficulty, std::string name1, double kills1, double hits1,
                std::string name2 = "", double kills2 = 0, double hits2 = 0) {
    GameResult g;
    g.playerCount = players;
    g.difficulty = difficulty;
    g.name1 = std::move(name1);
    g.name2 = std::move(name2);
    g.kills1 = kills1;
    g.hits1 = hits1;
    g.kills2 = kills2;
    g.hits2 = hits2;
    return g;
}

ScoreTable listOf(int start, std::vector<double> kills) {
    ScoreTable t{};
    for (std::size_t p = 0; p < kills.size(); ++p) {
        t[start + p].name1 = "P" + std::to_string(p + 1);
        t[start + p].kills = kills[p];
        t[start + p].hits = 100 + static_cast<double>(p);
    }
    return t;
}

}  // namespace

TEST(ScoreTable, CodeTableCoversExactlyTheNamedCharacters) {
    const std::string all = allScoreCharacters();
    ASSERT_EQ(all.size(), 128u);
    for (unsigned char c :
         std::string("\x80\xA7\xB0\xB2\xB3\xB4\xB5\xC4\xD6\xDC\xDF\xE4\xF6\xFC ~!#"))
        EXPECT_TRUE(isScoreCharacter(c)) << int(c);
    for (unsigned char c : std::string("\"\t\x7F\x81\xC2\xFF")) EXPECT_FALSE(isScoreCharacter(c));
    // One-to-one: 128 different five-digit lines, each decoding to its character.
    std::set<std::string> lines;
    for (char c : all) {
        const std::string line = encodeScoreLine(std::string(1, c));
        EXPECT_EQ(line.size(), 5u);
        EXPECT_EQ(decodeScoreLine(line), std::string(1, c));
        lines.insert(line);
    }
    EXPECT_EQ(lines.size(), 128u);
}

TEST(ScoreTable, ScrambleRoundTripsAndKeepsItsLength) {
    // Worked out by hand: 'A' has code 1001011 and 'b' 1111011, giving the
    // triples 203 and 251; '!' has 1101010, triple 234. 203251^2 =
    // 41310969001 lies between 2^35 and 2^36, where singles are 4096 apart;
    // 41310969001 mod 4096 = 3241 rounds up to 41310969856. 234^2 = 54756.
    EXPECT_EQ(encodeScoreLine("Ab!"), "4131096985654756");
    EXPECT_EQ(decodeScoreLine("4131096985654756"), "Ab!");

    std::vector<std::string> texts = {"",   "Spieler 1",         "Spieler 2", "M\xFCller \x80 99",
                                      "ab", allScoreCharacters()};
    std::mt19937 rng(11);
    const std::string all = allScoreCharacters();
    for (int i = 0; i < 500; ++i) {
        std::string t;
        for (int k = static_cast<int>(rng() % 40); k > 0; --k) t += all[rng() % 128];
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        const std::string line = encodeScoreLine(t);
        EXPECT_EQ(line.size(), 11 * (t.size() / 2) + 5 * (t.size() % 2)) << t;
        EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(decodeScoreLine(line), t);
    }
}

TEST(ScoreTable, SquaresRoundLikeSinglePrecision) {
    // 4097^2 = 2^24 + 2^13 + 1 sits halfway between two singles: to even.
    EXPECT_EQ(squareToSingle(4097), 16785408u);
    // 131168^2 = 17205044224 = 8400900.5 * 2048: a tie inside the scramble's
    // own range (the triples of the characters with codes 3 and 40).
    EXPECT_EQ(squareToSingle(131168), 17205043200u);
    for (std::uint64_t a = 128; a < 256; ++a)
        for (std::uint64_t b = 128; b < 256; ++b) {
            const std::uint64_t v = a * 1000 + b;
            const float single = static_cast<float>(static_cast<double>(v * v));
            ASSERT_EQ(squareToSingle(v), static_cast<std::uint64_t>(single)) << v;
            ASSERT_EQ(roundedSquareRoot(squareToSingle(v)), v);
        }
    for (std::uint64_t r : {0ull, 1ull, 2ull, 316227ull, 4294967295ull}) {
        EXPECT_EQ(roundedSquareRoot(r * r + r), r);
        EXPECT_EQ(roundedSquareRoot(r * r + r + 1), r + 1);
    }
    EXPECT_EQ(roundedSquareRoot(~0ull), 4294967296u);
}

TEST(ScoreTable, UnknownCharactersAreMendedAndDamagedLinesStaySafe) {
    EXPECT_EQ(decodeScoreLine(encodeScoreLine("Der \"Boss\"\tM\xFCller\x81")),
              "Der 'Boss'?M\xFCller?");
    const std::string line = encodeScoreLine("Spieler 1");
    EXPECT_EQ(decodeScoreLine(line.substr(0, 22)), "Spie");  // cut after two groups
    for (const std::string& junk : {std::string("abc"), std::string(11, '9'), std::string("-5"),
                                    std::string(50, '\xFF'), line + "123", std::string(1, '0')})
        for (char c : decodeScoreLine(junk)) EXPECT_TRUE(isScoreCharacter(c)) << junk;
}

TEST(ScoreTable, ResultsEnterByKillsWithTiesGoingBelow) {
    ScoreTable t = listOf(16, {10, 8, 5, 3});
    double mark = 1;
    enterResult(t, mark, game(1, 1, "Neu", 8, 7, "X"));
    EXPECT_EQ(mark, 2);
    EXPECT_EQ(t[16].kills, 10);
    EXPECT_EQ(t[17].name1, "P2");
    EXPECT_EQ(t[18].name1, "Neu");
    EXPECT_EQ(t[18].hits, 7);
    EXPECT_EQ(t[19].name1, "P3");  // old place 3 moved down, old place 4 dropped
    EXPECT_EQ(t[18].name2, "");    // one-player entries keep no partner

    enterResult(t, mark, game(1, 1, "Top", 11, 0));
    EXPECT_EQ(mark, 4);
    EXPECT_EQ(t[16].name1, "Top");
    const ScoreTable before = t;
    enterResult(t, mark, game(1, 1, "Schwach", 5, 50));
    EXPECT_EQ(mark, 0);  // not placed: no stars left over from the last game
    enterResult(t, mark, game(1, 3, "Wer", 99, 0));
    EXPECT_EQ(mark, 0);
    for (int i = 0; i < kScoreEntryCount; ++i) EXPECT_EQ(t[i].name1, before[i].name1);

    // Two players enter their sums under both names.
    enterResult(t, mark, game(2, 2, "Anna", 3, 10, "Ben", 4, 20));
    EXPECT_EQ(mark, 4);
    EXPECT_EQ(t[8].name1, "Anna");
    EXPECT_EQ(t[8].name2, "Ben");
    EXPECT_EQ(t[8].kills, 7);
    EXPECT_EQ(t[8].hits, 30);
    EXPECT_EQ(scoreListStart(7, 2), 20);
    EXPECT_EQ(scoreListStart(1, 1.5), -1);
}

TEST(ScoreTable, FileIsCreatedWrittenAndReadBack) {
    ScratchFolder scratch;
    ScoreTable table = listOf(0, {1});
    loadScores(table, kScoresPath);
    EXPECT_TRUE(fileExists(kScoresPath));
    EXPECT_EQ(readFileBytes(kScoresPath), "");
    EXPECT_EQ(table[0].name1, "");

    double mark = 0;
    enterResult(table, mark, game(1, 1, "Spieler 1", 7, 12, "Spieler 2", 5, 8));
    EXPECT_EQ(mark, 4);
    saveScores(table, 0, kScoresPath);
    const std::vector<std::string> lines = linesOf(readFileBytes(kScoresPath));
    ASSERT_EQ(lines.size(), 84u);
    EXPECT_EQ(decodeScoreLine(lines[60]), "Spieler 1");
    EXPECT_EQ(decodeScoreLine(lines[61]), "7");
    EXPECT_EQ(decodeScoreLine(lines[62]), "12");

    // With custom power-ups on, neither the table nor the file changes.
    const std::string saved = readFileBytes(kScoresPath);
    GameResult withCustom = game(1, 1, "Mogler", 50, 50);
    withCustom.customPowerUpsEnabled = 1;
    enterResult(table, mark, withCustom);
    EXPECT_EQ(mark, 6);
    EXPECT_EQ(table[16].name1, "Spieler 1");
    saveScores(table, 1, kScoresPath);
    EXPECT_EQ(readFileBytes(kScoresPath), saved);

    // A name with a quote comes back with an apostrophe, the rest intact.
    table[0] = {"Anna \"A\"", "Ben", 5, 6};
    saveScores(table, 0, kScoresPath);
    ScoreTable loaded;
    loadScores(loaded, kScoresPath);
    EXPECT_EQ(loaded[0].name1, "Anna 'A'");
    EXPECT_EQ(loaded[0].name2, "Ben");
    EXPECT_EQ(loaded[16].kills, 7);
    EXPECT_EQ(loaded[16].hits, 12);
}

TEST(ScoreTable, ZeroKillGameStillRewritesTheFile) {
    ScratchFolder scratch;
    ScoreTable table;
    loadScores(table, kScoresPath);
    double mark = 3;
    enterResult(table, mark, game(1, 0, "Niemand", 0, 9));
    EXPECT_EQ(mark, 0);
    saveScores(table, 0, kScoresPath);
    EXPECT_EQ(readFileBytes(kScoresPath), formatScores(ScoreTable{}));
}

TEST(ScoreTable, DamagedFilesLoadAsFarAsTheyGo) {
    ScratchFolder scratch;
    ScoreTable table{};
    table[0] = {"Erste", "Zweite", 9, 10};
    table[23] = {"Letzte", "", 1, 2};
    const std::string good = formatScores(table);
    // Saving over a longer old file overwrites its head and keeps the rest,
    // which reading ignores after line 84.
    ScoreTable longer = table;
    longer[5].name1 = std::string(300, 'x');
    const std::string old = formatScores(longer) + "Rest";
    writeFileBytes(kScoresPath, old);
    saveScores(table, 0, kScoresPath);
    EXPECT_EQ(readFileBytes(kScoresPath), good + old.substr(good.size()));
    ScoreTable loaded;
    loadScores(loaded, kScoresPath);
    EXPECT_EQ(loaded[5].name1, "");
    EXPECT_EQ(loaded[23].name1, "Letzte");

    writeFileBytes(kScoresPath, good.substr(0, good.size() / 3));
    loadScores(loaded, kScoresPath);
    EXPECT_EQ(loaded[0].name2, "Zweite");
    EXPECT_EQ(loaded[23].name1, "");
    EXPECT_EQ(loaded[23].kills, 0);

    std::string noise;
    std::mt19937 rng(5);
    for (int i = 0; i < 200000; ++i)
        noise += static_cast<char>(rng() % 11 ? '0' + rng() % 10 : rng());
    writeFileBytes(kScoresPath, noise);
    loadScores(loaded, kScoresPath);
    for (const ScoreEntry& e : loaded)
        for (char c : e.name1 + e.name2) EXPECT_TRUE(isScoreCharacter(c));
}
