// Data/Optionen.txt: the seven settings the game and the options tool share.
//
//   1 first player's name      5 window width
//   2 second player's name     6 window height
//   3 player count (1, 2)      7 custom power-ups (1 on, 0 off)
//   4 difficulty (0, 1, 2)
//
// Windows-1252 text, CR LF line ends; both programs also read LF-only files.
#pragma once

#include <string>

#include "base/text_file.h"

inline const std::string kOptionsPath = "Data/Optionen.txt";

inline constexpr const char* kOptionsCreatedTitle = "Optionen";
inline constexpr const char* kOptionsCreatedText =
    "Es sind keine Optionen verf\xFCgbar. \"Optionen.txt\" wurde erstellt.";
inline constexpr const char* kScreenErrorTitle = "Screen-Error";
inline constexpr const char* kScreenErrorText =
    "Ihre Bildschirmeinstellungen sind zu klein. \xC4ndern Sie diese in der Optionsdatei.";

struct Options {
    std::string name1;
    std::string name2;
    double playerCount = 0;
    double difficulty = 0;
    double windowWidth = 0;
    double windowHeight = 0;
    double customPowerUpsEnabled = 0;
};

// Reads the seven lines; missing lines read as empty names and 0.
Options parseOptions(const std::string& bytes);
Options readOptionsFile(const std::string& path);

// The default files: the game writes its names with a blank, the tool without.
// Lines 1 to 6 end with CR LF, line 7 has no line end.
std::string gameDefaultOptions(int desktopWidth, int desktopHeight);
std::string toolDefaultOptions(int desktopWidth, int desktopHeight);

using MessageBoxFn = void (*)(const char* title, const char* text);

// The game's start: creates the default file (and tells the user) when there
// is none, then reads it. Returns false after the "Screen-Error" box for a
// window below 100 pixels either way; the game must then stop.
bool readOptions(Options& options, int desktopWidth, int desktopHeight, MessageBoxFn messageBox,
                 const std::string& path = kOptionsPath);

// The game's shutdown after quitting from the title screen: lines 1 to 4
// become the two names, the player count and the difficulty (the last without
// a line end); everything after the old fourth line is kept byte for byte.
WriteResult rewriteOptionsHead(const std::string& name1, const std::string& name2,
                               double playerCount, double difficulty,
                               const std::string& path = kOptionsPath);

// The head as rewriteOptionsHead builds it from the old file's bytes.
std::string replaceOptionsHead(const std::string& oldBytes, const std::string& name1,
                               const std::string& name2, double playerCount, double difficulty);

// The options tool's start: the tool's default file when none can be read.
Options loadOptionsForTool(int desktopWidth, int desktopHeight,
                           const std::string& path = kOptionsPath);

// The options tool's save: all seven lines, each with CR LF, nothing else.
std::string formatOptionsForTool(const Options& options);
WriteResult saveOptionsFromTool(const Options& options, const std::string& path = kOptionsPath);
