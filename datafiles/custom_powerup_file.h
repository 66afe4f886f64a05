// Data/CustomPU/PowerUp<n>.cpup: one user-made power-up per file, written by
// the power-up editor and loaded by the game at its start.
//
//   1 name of the power-up        5 damage bonus          (ten decimals)
//   2 name of its author          6 duration step         (ten decimals)
//   3 smiley picture file name    7 fire-delay offset     (ten decimals)
//   4 shot picture file name      8 walking-speed bonus   (ten decimals)
//
// Lines 1 to 7 end with CR LF, line 8 has no line end. The numbers n run
// 0, 1, 2, ... without gaps: both programs stop at the first missing one.
// The pictures lie in "Eigene Smileys/"; lines 3 and 4 hold bare file names.
#pragma once

#include <string>
#include <string_view>

#include "base/text_file.h"

inline const std::string kCustomPowerUpFolder = "Data/CustomPU/";
inline const std::string kCustomSmileyFolder = "Eigene Smileys/";

// The eight lines of one file, as the editor writes them and the game reads
// them.
struct CustomPowerUpFile {
    std::string name;
    std::string author;
    std::string smileyFile;
    std::string shotFile;
    double damageBonus = 0;
    double durationStep = 0;
    double fireDelayOffset = 0;
    double walkBonus = 0;
};

// "Data/CustomPU/PowerUp<n>.cpup".
std::string customPowerUpPath(int n);

// Whether a file of that number is there to be read. The editor's choice of
// its number and the game's loader both ask this, so they never disagree
// about where the sequence ends.
bool customPowerUpFilePresent(int n);

// The decimal form of lines 5 to 8: an optional "-", at least one integer
// digit, ".", exactly ten digits; the exact value rounded to ten places (ties
// to even), independent of locale. Infinities and NaN, which no slider can
// produce, come out as 0.0000000000.
std::string formatTenDecimals(double value);

// The reader of lines 5 to 8: leading blanks and tabs, an optional sign,
// digits with an optional "." and fraction, up to the first character that
// does not belong. No number, or one beyond the range of a double, reads 0.
double parseDecimal(std::string_view line);

// The file name part of a chosen path: the text after its last "/" or "\".
std::string fileNamePart(std::string_view path);

// True for a bare file name that stays inside "Eigene Smileys/": not empty,
// no "/" or "\", and neither "." nor "..".
bool isPlainFileName(std::string_view name);

// Lines missing from a short file read as empty texts and 0.
CustomPowerUpFile parseCustomPowerUpFile(const std::string& bytes);

// The exact bytes of a file: lines 1 to 7 with CR LF, line 8 without.
std::string formatCustomPowerUpFile(const CustomPowerUpFile& file);

// The editor's number for its whole run: the lowest n without a file.
int chooseCustomPowerUpNumber();

// The editor's "Speichern": replaces file n safely. The two picture entries
// may be whole paths; only their file name parts are written. When the file
// cannot be written (no Data/CustomPU folder, a full disk) nothing changes
// and the result says why.
WriteResult writeCustomPowerUp(int n, const std::string& name, const std::string& author,
                               const std::string& smileyPath, const std::string& shotPath,
                               double damageBonus, double durationStep, double fireDelayOffset,
                               double walkBonus);
