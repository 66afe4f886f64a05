// Run by the build: the game's picture table and art/pictures.txt must name
// the same file for every slot, in a load mode that fits how the file is
// drawn (colour-keyed BMPs plain, pictures with their own alpha as such).
//
//   picture-table-check art/pictures.txt
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/pictures.h"

namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    const auto last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

struct ManifestRow {
    std::string file, kind;
    int line;
};

bool modeFits(const std::string& kind, int mode) {
    if (kind == "key") return mode == 0;
    if (kind == "alpha" || kind == "png") return mode == 12;
    if (kind == "jpg") return mode == 4 || mode == 12;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture-table-check PICTURES_TXT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "picture-table-check: cannot read %s\n", argv[1]);
        return 2;
    }
    std::map<int, ManifestRow> manifest;
    int errors = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (trim(line).empty() || trim(line)[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, '|');) fields.push_back(trim(f));
        if (fields.size() != 5) continue;  // the build of the pictures reports these
        std::stringstream slots(fields[0]);
        for (std::string slot; std::getline(slots, slot, '/');) {
            const int n = std::stoi(slot);
            if (manifest.count(n)) {
                std::fprintf(stderr, "%s:%d: slot %d is listed twice\n", argv[1], number, n);
                ++errors;
            }
            manifest[n] = {fields[1], fields[2], number};
        }
    }

    std::map<int, bool> inTable;
    for (const PictureRow& row : kPictureTable) {
        inTable[row.slot] = true;
        const std::string file = std::string(row.file).substr(std::string("Data/").size());
        const auto it = manifest.find(row.slot);
        if (it == manifest.end()) {
            std::fprintf(stderr, "slot %d (%s) is in the game's table but not in %s\n", row.slot,
                         file.c_str(), argv[1]);
            ++errors;
        } else if (it->second.file != file) {
            std::fprintf(stderr, "%s:%d: slot %d is %s there but %s in the game's table\n", argv[1],
                         it->second.line, row.slot, it->second.file.c_str(), file.c_str());
            ++errors;
        } else if (!modeFits(it->second.kind, row.mode)) {
            std::fprintf(stderr, "%s:%d: %s is drawn as '%s' but the game loads it in mode %d\n",
                         argv[1], it->second.line, file.c_str(), it->second.kind.c_str(), row.mode);
            ++errors;
        }
    }
    for (const auto& [slot, row] : manifest)
        if (!inTable.count(slot)) {
            std::fprintf(stderr, "%s:%d: slot %d (%s) is not in the game's table\n", argv[1],
                         row.line, slot, row.file.c_str());
            ++errors;
        }
    if (errors) {
        std::fprintf(stderr, "picture-table-check: the game's pictures and the art disagree\n");
        return 1;
    }
    return 0;
}
