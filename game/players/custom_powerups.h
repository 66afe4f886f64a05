// The custom power-ups as the game keeps them: one record per file of
// Data/CustomPU/, loaded once at start-up with its two pictures.
#pragma once

#include <functional>
#include <string>

#include "base/entity_list.h"
#include "game/shell/pictures.h"

// One loaded power-up as the game keeps it in its customPowerUps list.
struct CustomPowerUp {
    std::string name;
    std::string author;      // loaded, never shown in play
    double smileyImage = 0;  // slot 1000 + n, or 0 when the picture did not load
    double shotImage = 0;    // slot 2000 + n, or 0 likewise
    double damageBonus = 0;
    double durationStep = 0;
    double fireDelayOffset = 0;
    double walkBonus = 0;
    double index = 0;  // n, the number in the file name
};

// Loads a picture file into a slot; nonzero on success. The game passes its
// media layer's loader (load mode 0), tests pass a fake.
using CustomPictureLoader = std::function<int(int slot, const std::string& path)>;

// The game's start: appends one record per file, n = 0, 1, 2, ... up to the
// first missing file, to the end of the list, loading the pictures from
// "Eigene Smileys/" into slots 1000 + n and 2000 + n. A picture that does not
// load, or whose name is not a bare file name, leaves its field 0 (and a name
// that is not bare is never handed to the loader). Returns the first missing
// n, the game's customPowerUpCount.
int loadCustomPowerUps(EntityList<CustomPowerUp>& list, const CustomPictureLoader& loadPicture);

// The first record whose index is the given number (rounded to a whole
// number), or nullptr. Walks the list without moving its cursor, so it is
// safe to call from inside another walk of the same list.
const CustomPowerUp* findCustomPowerUp(const EntityList<CustomPowerUp>& list, double index);
