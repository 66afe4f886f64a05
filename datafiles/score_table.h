// The score table: the four best games of each mode and difficulty, and
// Data/Scores.txt, where every line is scrambled so that players cannot just
// type themselves to the top.
//
//   entries  0- 3  two players, Easy-Peasy     12-15  one player, Easy-Peasy
//   entries  4- 7  two players, Normal         16-19  one player, Normal
//   entries  8-11  two players, Krank          20-23  one player, Krank
//
// The file has 84 lines, each the scrambled form of one field followed by
// CR LF: name1, name2, kills, hits for entries 0 to 11, then name1, kills,
// hits for entries 12 to 23. Anything after line 84 is ignored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_file.h"

inline const std::string kScoresPath = "Data/Scores.txt";

struct ScoreEntry {
    std::string name1;
    std::string name2;  // the partner in the two-player lists
    double kills = 0;   // what ranks a game
    double hits = 0;
};

inline constexpr int kScoreListLength = 4;
inline constexpr int kScoreEntryCount = 24;
using ScoreTable = std::array<ScoreEntry, kScoreEntryCount>;

// placementMark for a game played with custom power-ups on.
inline constexpr double kPlacementCustomPowerUps = 6;

// The first entry of the list for a mode and difficulty: two-player lists for
// a player count of 2, one-player lists for anything else. -1 for a
// difficulty other than 0, 1 or 2, which has no list.
int scoreListStart(double playerCount, double difficulty);

// The characters the scramble knows: the blank, printable ASCII without the
// double quote, and 34 Windows-1252 letters and signs (€ § ° ² ³ ´ µ and the
// accented vowels and ß).
bool isScoreCharacter(unsigned char c);

// The text as it can be saved: a double quote becomes an apostrophe and any
// other character the scramble does not know becomes "?". Without this one
// unknown character would shift every code after it and ruin the whole line.
std::string scoreSafeText(std::string_view text);

// The scramble: every character becomes its 7-bit code, each code with a
// leading 1 becomes three decimal digits (128 to 255), each pair of those
// becomes a six-digit number whose square, rounded to single precision, is
// written out (11 digits; a lone last triple gives 5). A text of k characters
// gives 11 * (k / 2) digits, plus 5 when k is odd. Characters the scramble
// does not know are replaced first (scoreSafeText).
std::string encodeScoreLine(std::string_view text);

// The way back: rounded square roots of 11-digit groups, triples to codes,
// codes to characters. Exact for every line encodeScoreLine makes; damaged
// lines give a wrong or empty text, never an error.
std::string decodeScoreLine(std::string_view line);

// v * v rounded to the nearest single-precision value, ties to even, worked
// out in whole numbers so the compiler's floating-point settings cannot
// change the file. v is at most 2^31.
std::uint64_t squareToSingle(std::uint64_t v);

// The whole number nearest to the square root of v.
std::uint64_t roundedSquareRoot(std::uint64_t v);

// The table from a file's bytes; lines that are missing read as empty names
// and 0, damaged ones as whatever they decode to.
ScoreTable parseScores(const std::string& bytes);

// The 84 lines, each with CR LF.
std::string formatScores(const ScoreTable& table);

// The game's start: reads the table, or creates an empty file (and keeps an
// empty table) when there is none to read.
void loadScores(ScoreTable& table, const std::string& path = kScoresPath);

// What enterResult needs to know about a finished game.
struct GameResult {
    double playerCount = 1;
    double difficulty = 0;
    double customPowerUpsEnabled = 0;
    std::string name1;
    std::string name2;
    double kills1 = 0;
    double hits1 = 0;
    double kills2 = 0;  // second player, counted only in a two-player game
    double hits2 = 0;
};

// Enters a finished game by its kills: it takes the first place whose kills
// it beats (ties go below), the places under it move down and the last drops
// out. placementMark becomes 4, 3, 2 or 1 for place 1 to 4, 6 when custom
// power-ups were on (nothing is entered then), and 0 for a game that enters
// no list, so the stars of an earlier game are never shown for this one.
void enterResult(ScoreTable& table, double& placementMark, const GameResult& game);

// Writes the 84 lines over the head of the file, unless custom power-ups are
// on, in which case the file is left alone. Like the game always did, the
// file is not shortened: bytes of a longer old file after the new lines stay.
// The write goes through a temporary file, so the old scores survive a crash.
WriteResult saveScores(const ScoreTable& table, double customPowerUpsEnabled,
                       const std::string& path = kScoresPath);
