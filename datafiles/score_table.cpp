#include "datafiles/score_table.h"

#include <cmath>

#include "base/numbers.h"
#include "base/text_file.h"

namespace {

struct CodeOf {
    unsigned char character;
    unsigned char code;  // seven binary digits
};

// The scramble's code table: one fixed assignment of the 128 seven-digit
// codes to the 128 characters a name may hold. It is part of the file format,
// so it must never change, or every saved score would turn into rubbish.
// clang-format off
constexpr CodeOf kScoreCodeTable[128] = {
    {' ', 0b1110010}, {'!', 0b1101010}, {'#', 0b1001000}, {'$', 0b1000001}, {'%', 0b0101000},
    {'&', 0b1000000}, {'\'', 0b0001001}, {'(', 0b0111110}, {')', 0b1011000}, {'*', 0b0111111},
    {'+', 0b0010110}, {',', 0b1101101}, {'-', 0b1000011}, {'.', 0b0010000}, {'/', 0b0000101},
    {'0', 0b1100110}, {'1', 0b0110111}, {'2', 0b0100000}, {'3', 0b0111100}, {'4', 0b1011010},
    {'5', 0b0001110}, {'6', 0b1010001}, {'7', 0b1100001}, {'8', 0b1100010}, {'9', 0b1110000},
    {':', 0b0001000}, {';', 0b0100111}, {'<', 0b1010011}, {'=', 0b0000100}, {'>', 0b0011000},
    {'?', 0b0010001}, {'@', 0b1110101}, {'A', 0b1001011}, {'B', 0b1000110}, {'C', 0b1001110},
    {'D', 0b1100101}, {'E', 0b0100101}, {'F', 0b1100100}, {'G', 0b0000001}, {'H', 0b0100010},
    {'I', 0b1110011}, {'J', 0b1111001}, {'K', 0b1010000}, {'L', 0b0001101}, {'M', 0b0101100},
    {'N', 0b0010100}, {'O', 0b0111101}, {'P', 0b0010010}, {'Q', 0b0110001}, {'R', 0b1001010},
    {'S', 0b0111001}, {'T', 0b0101011}, {'U', 0b0001011}, {'V', 0b1011101}, {'W', 0b0100100},
    {'X', 0b1000111}, {'Y', 0b1000101}, {'Z', 0b0111000}, {'[', 0b0110010}, {'\\', 0b0010101},
    {']', 0b0011100}, {'^', 0b1101011}, {'_', 0b0111010}, {'`', 0b1011100}, {'a', 0b0001100},
    {'b', 0b1111011}, {'c', 0b1111010}, {'d', 0b1000010}, {'e', 0b1110110}, {'f', 0b1100011},
    {'g', 0b1111101}, {'h', 0b1010010}, {'i', 0b0110110}, {'j', 0b1111100}, {'k', 0b1000100},
    {'l', 0b0011011}, {'m', 0b1110100}, {'n', 0b0110000}, {'o', 0b0100011}, {'p', 0b1010101},
    {'q', 0b1111110}, {'r', 0b1001001}, {'s', 0b0000111}, {'t', 0b0011111}, {'u', 0b1101100},
    {'v', 0b1110111}, {'w', 0b1010100}, {'x', 0b1101000}, {'y', 0b1001111}, {'z', 0b0111011},
    {'{', 0b0011010}, {'|', 0b0110011}, {'}', 0b0110101}, {'~', 0b1011110},
    {0x80, 0b1101001},  // €
    {0xA7, 0b0011110},  // §
    {0xB0, 0b0000000},  // °
    {0xB2, 0b0101001},  // ²
    {0xB3, 0b0011001},  // ³
    {0xB4, 0b0000011},  // ´
    {0xB5, 0b1101111},  // µ
    {0xC0, 0b0010111},  // À
    {0xC1, 0b0001010},  // Á
    {0xC4, 0b1001101},  // Ä
    {0xC8, 0b1010111},  // È
    {0xC9, 0b1110001},  // É
    {0xCC, 0b1011111},  // Ì
    {0xCD, 0b0101101},  // Í
    {0xD2, 0b0110100},  // Ò
    {0xD3, 0b0000110},  // Ó
    {0xD6, 0b1111000},  // Ö
    {0xD9, 0b0001111},  // Ù
    {0xDA, 0b1001100},  // Ú
    {0xDC, 0b0100110},  // Ü
    {0xDF, 0b1111111},  // ß
    {0xE0, 0b1011001},  // à
    {0xE1, 0b0011101},  // á
    {0xE4, 0b0000010},  // ä
    {0xE8, 0b0101010},  // è
    {0xE9, 0b0101111},  // é
    {0xEC, 0b1101110},  // ì
    {0xED, 0b1100000},  // í
    {0xF2, 0b1011011},  // ò
    {0xF3, 0b0101110},  // ó
    {0xF6, 0b0010011},  // ö
    {0xF9, 0b1100111},  // ù
    {0xFA, 0b0100001},  // ú
    {0xFC, 0b1010110},  // ü
};
// clang-format on

struct CodeTables {
    // 0x100 means "not in the table".
    unsigned short codeOf[256];
    unsigned char characterOf[128];
};

constexpr CodeTables makeCodeTables() {
    CodeTables t{};
    for (auto& c : t.codeOf) c = 0x100;
    for (const CodeOf& entry : kScoreCodeTable) {
        t.codeOf[entry.character] = entry.code;
        t.characterOf[entry.code] = entry.character;
    }
    return t;
}

constexpr CodeTables kCodes = makeCodeTables();

// Both directions depend on the assignment being one to one.
constexpr bool isOneToOne() {
    bool codeSeen[128] = {};
    bool characterSeen[256] = {};
    for (const CodeOf& entry : kScoreCodeTable) {
        if (entry.code >= 128 || codeSeen[entry.code] || characterSeen[entry.character])
            return false;
        codeSeen[entry.code] = true;
        characterSeen[entry.character] = true;
    }
    return !characterSeen[static_cast<unsigned char>('"')];
}
static_assert(isOneToOne(), "the score code table must pair 128 characters with 128 codes");

void appendDecimal(std::string& out, std::uint64_t value) {
    out += std::to_string(value);
}

// Leading decimal digits of a group; no digits read 0.
std::uint64_t leadingDecimal(std::string_view group) {
    std::uint64_t value = 0;
    for (char c : group) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

}  // namespace

int scoreListStart(double playerCount, double difficulty) {
    if (difficulty != 0 && difficulty != 1 && difficulty != 2) return -1;
    return (playerCount == 2 ? 0 : 12) + kScoreListLength * static_cast<int>(difficulty);
}

bool isScoreCharacter(unsigned char c) {
    return kCodes.codeOf[c] < 0x100;
}

std::string scoreSafeText(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        if (isScoreCharacter(static_cast<unsigned char>(c))) continue;
        c = c == '"' ? '\'' : '?';
    }
    return safe;
}

std::uint64_t squareToSingle(std::uint64_t v) {
    const std::uint64_t square = v * v;
    int bits = 0;
    while (bits < 64 && (square >> bits) != 0) ++bits;
    if (bits <= 24) return square;  // fits the 24-bit significand as it is
    const int shift = bits - 24;
    std::uint64_t kept = square >> shift;
    const std::uint64_t dropped = square & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (dropped > half || (dropped == half && (kept & 1) != 0)) ++kept;
    return kept << shift;
}

std::uint64_t roundedSquareRoot(std::uint64_t v) {
    // The floating-point root is only a first guess; whole-number checks
    // make the result exact.
    std::uint64_t r = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(v)));
    if (r > 0xFFFFFFFFu) r = 0xFFFFFFFFu;
    while (r > 0 && r * r > v) --r;
    while (r < 0xFFFFFFFFu && (r + 1) * (r + 1) <= v) ++r;
    // Nearer to r + 1 exactly when v - r^2 > r; v and r being whole, no ties.
    return v - r * r > r ? r + 1 : r;
}

std::string encodeScoreLine(std::string_view text) {
    const std::string safe = scoreSafeText(text);
    // Three digits per character: its code with a leading 1, 128 to 255.
    std::string triples;
    triples.reserve(safe.size() * 3);
    for (char c : safe) appendDecimal(triples, 128u + kCodes.codeOf[static_cast<unsigned char>(c)]);

    std::string line;
    for (std::size_t i = 0; i < triples.size(); i += 6) {
        const std::uint64_t v = leadingDecimal(std::string_view(triples).substr(i, 6));
        appendDecimal(line, squareToSingle(v));
    }
    return line;
}

std::string decodeScoreLine(std::string_view line) {
    std::string triples;
    for (std::size_t i = 0; i < line.size(); i += 11)
        appendDecimal(triples, roundedSquareRoot(leadingDecimal(line.substr(i, 11))));

    std::string codes;
    for (std::size_t i = 0; i + 3 <= triples.size(); i += 3) {
        const unsigned value = static_cast<unsigned>(leadingDecimal(triples.substr(i, 3)));
        // Written in binary, the first digit is the 1 that only kept the
        // code's leading zeros alive: drop it. 0 has no such 1 and stays "0".
        if (value == 0) {
            codes += '0';
            continue;
        }
        int top = 0;
        while ((value >> (top + 1)) != 0) ++top;
        for (int bit = top - 1; bit >= 0; --bit) codes += (value >> bit) & 1 ? '1' : '0';
    }

    std::string text;
    for (std::size_t i = 0; i + 7 <= codes.size(); i += 7) {
        unsigned code = 0;
        for (std::size_t k = i; k < i + 7; ++k) code = code * 2 + (codes[k] == '1' ? 1 : 0);
        text += static_cast<char>(kCodes.characterOf[code]);
    }
    return text;
}

ScoreTable parseScores(const std::string& bytes) {
    LineReader in(bytes);
    ScoreTable table{};
    auto number = [&] { return static_cast<double>(parseNumber(decodeScoreLine(in.readLine()))); };
    for (int i = 0; i < kScoreEntryCount; ++i) {
        ScoreEntry& e = table[static_cast<std::size_t>(i)];
        e.name1 = decodeScoreLine(in.readLine());
        // Only the two-player lists keep the partner's name in the file.
        if (i < 12) e.name2 = decodeScoreLine(in.readLine());
        e.kills = number();
        e.hits = number();
    }
    return table;
}

std::string formatScores(const ScoreTable& table) {
    TextWriter w;
    for (int i = 0; i < kScoreEntryCount; ++i) {
        const ScoreEntry& e = table[static_cast<std::size_t>(i)];
        w.writeLine(encodeScoreLine(e.name1));
        if (i < 12) w.writeLine(encodeScoreLine(e.name2));
        w.writeLine(encodeScoreLine(formatWhole(e.kills)));
        w.writeLine(encodeScoreLine(formatWhole(e.hits)));
    }
    return w.bytes();
}

void loadScores(ScoreTable& table, const std::string& path) {
    table = ScoreTable{};
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        writeFileSafely(path, std::string_view());
        return;
    }
    table = parseScores(*bytes);
}

void enterResult(ScoreTable& table, double& placementMark, const GameResult& game) {
    // Games with home-made power-ups are not comparable, so they never enter.
    // A switch value other than 0 and 1 (a hand-edited options file) enters
    // nothing either and shows as not placed.
    if (game.customPowerUpsEnabled != 0) {
        placementMark = game.customPowerUpsEnabled == 1 ? kPlacementCustomPowerUps : 0;
        return;
    }
    placementMark = 0;
    const int start = scoreListStart(game.playerCount, game.difficulty);
    if (start < 0) return;

    const bool twoPlayers = game.playerCount == 2;
    const double kills = twoPlayers ? game.kills1 + game.kills2 : game.kills1;
    const double hits = twoPlayers ? game.hits1 + game.hits2 : game.hits1;
    for (int place = 0; place < kScoreListLength; ++place) {
        // Strictly greater: a tie leaves the older game on top.
        if (!(kills > table[static_cast<std::size_t>(start + place)].kills)) continue;
        for (int below = kScoreListLength - 1; below > place; --below)
            table[static_cast<std::size_t>(start + below)] =
                table[static_cast<std::size_t>(start + below - 1)];
        ScoreEntry& entry = table[static_cast<std::size_t>(start + place)];
        entry.name1 = game.name1;
        if (twoPlayers) entry.name2 = game.name2;
        entry.kills = kills;
        entry.hits = hits;
        placementMark = kScoreListLength - place;  // place 1 shows four stars
        return;
    }
}

WriteResult saveScores(const ScoreTable& table, double customPowerUpsEnabled,
                       const std::string& path) {
    if (customPowerUpsEnabled != 0) return {};
    std::string bytes = formatScores(table);
    const std::string old = readWholeFile(path).value_or(std::string());
    if (old.size() > bytes.size()) bytes.append(old, bytes.size());
    return writeFileSafely(path, bytes);
}
