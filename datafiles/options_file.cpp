#include "datafiles/options_file.h"

#include "base/numbers.h"
#include "base/text_file.h"

namespace {

std::string defaultOptions(const char* name1, const char* name2, int width, int height) {
    TextWriter w;
    w.writeLine(name1);
    w.writeLine(name2);
    w.writeLine("1");
    w.writeLine("0");
    w.writeLine(std::to_string(width));
    w.writeLine(std::to_string(height));
    w.writeText("0");
    return w.bytes();
}

}  // namespace

Options parseOptions(const std::string& bytes) {
    LineReader in(bytes);
    Options o;
    o.name1 = in.readLine();
    o.name2 = in.readLine();
    o.playerCount = static_cast<double>(parseNumber(in.readLine()));
    o.difficulty = static_cast<double>(parseNumber(in.readLine()));
    o.windowWidth = static_cast<double>(parseNumber(in.readLine()));
    o.windowHeight = static_cast<double>(parseNumber(in.readLine()));
    o.customPowerUpsEnabled = static_cast<double>(parseNumber(in.readLine()));
    return o;
}

Options readOptionsFile(const std::string& path) {
    return parseOptions(readWholeFile(path).value_or(std::string()));
}

std::string gameDefaultOptions(int desktopWidth, int desktopHeight) {
    return defaultOptions("Spieler 1", "Spieler 2", desktopWidth, desktopHeight);
}

std::string toolDefaultOptions(int desktopWidth, int desktopHeight) {
    return defaultOptions("Spieler1", "Spieler2", desktopWidth, desktopHeight);
}

bool readOptions(Options& options, int desktopWidth, int desktopHeight, MessageBoxFn messageBox,
                 const std::string& path) {
    if (!readWholeFile(path)) {
        // A folder that cannot take the file leaves nothing to read: the names
        // come out empty and the width 0, which stops the game below.
        writeFileSafely(path, gameDefaultOptions(desktopWidth, desktopHeight));
        messageBox(kOptionsCreatedTitle, kOptionsCreatedText);
    }
    options = readOptionsFile(path);
    if (options.windowWidth < 100 || options.windowHeight < 100) {
        messageBox(kScreenErrorTitle, kScreenErrorText);
        return false;
    }
    return true;
}

std::string replaceOptionsHead(const std::string& oldBytes, const std::string& name1,
                               const std::string& name2, double playerCount, double difficulty) {
    // Find where the old fourth line's text ends; its end mark and all that
    // follows stay untouched. Overwriting in place would eat into line 5
    // whenever the new head is longer than the old one (LF-only files).
    LineReader in(oldBytes);
    for (int line = 0; line < 3; ++line) in.readLine();
    std::size_t tail = in.position();
    while (tail < oldBytes.size() && oldBytes[tail] != '\r' && oldBytes[tail] != '\n' &&
           oldBytes[tail] != '\0')
        ++tail;

    TextWriter w;
    w.writeLine(name1);
    w.writeLine(name2);
    w.writeLine(formatWhole(playerCount));
    w.writeText(formatWhole(difficulty));
    w.writeText(std::string_view(oldBytes).substr(tail));
    return w.bytes();
}

WriteResult rewriteOptionsHead(const std::string& name1, const std::string& name2,
                               double playerCount, double difficulty, const std::string& path) {
    const std::string old = readWholeFile(path).value_or(std::string());
    return writeFileSafely(path, replaceOptionsHead(old, name1, name2, playerCount, difficulty));
}

Options loadOptionsForTool(int desktopWidth, int desktopHeight, const std::string& path) {
    if (!readWholeFile(path))
        writeFileSafely(path, toolDefaultOptions(desktopWidth, desktopHeight));
    return readOptionsFile(path);
}

std::string formatOptionsForTool(const Options& o) {
    TextWriter w;
    w.writeLine(o.name1);
    w.writeLine(o.name2);
    w.writeLine(formatWhole(o.playerCount));
    w.writeLine(formatWhole(o.difficulty));
    w.writeLine(formatWhole(o.windowWidth));
    w.writeLine(formatWhole(o.windowHeight));
    w.writeLine(formatWhole(o.customPowerUpsEnabled));
    return w.bytes();
}

WriteResult saveOptionsFromTool(const Options& options, const std::string& path) {
    return writeFileSafely(path, formatOptionsForTool(options));
}
