#include "game/players/custom_powerups.h"

#include "base/numbers.h"
#include "base/text_file.h"
#include "datafiles/custom_powerup_file.h"

namespace {

std::string picturePath(const std::string& file) {
    return kCustomSmileyFolder + file;
}

// The slot number when the picture loaded, else 0.
double loadCustomPicture(const CustomPictureLoader& loadPicture, int slot,
                         const std::string& file) {
    // A name that climbs out of the folder is treated like a picture that is
    // not there: a shared .cpup must not make the game read arbitrary files.
    if (!loadPicture || !isPlainFileName(file)) return 0;
    return loadPicture(slot, picturePath(file)) != 0 ? slot : 0;
}

}  // namespace

int loadCustomPowerUps(EntityList<CustomPowerUp>& list, const CustomPictureLoader& loadPicture) {
    int n = 0;
    for (;; ++n) {
        if (!customPowerUpFilePresent(n)) break;
        const auto bytes = readWholeFile(customPowerUpPath(n));
        if (!bytes) break;
        const CustomPowerUpFile f = parseCustomPowerUpFile(*bytes);
        CustomPowerUp* p = list.append();  // file order, whatever the cursor
        p->name = f.name;
        p->author = f.author;
        p->smileyImage = loadCustomPicture(loadPicture, kCustomSmileySlotBase + n, f.smileyFile);
        p->shotImage = loadCustomPicture(loadPicture, kCustomShotSlotBase + n, f.shotFile);
        p->damageBonus = f.damageBonus;
        p->durationStep = f.durationStep;
        p->fireDelayOffset = f.fireDelayOffset;
        p->walkBonus = f.walkBonus;
        p->index = n;
    }
    return n;
}

const CustomPowerUp* findCustomPowerUp(const EntityList<CustomPowerUp>& list, double index) {
    const double wanted = roundToInt(index);
    const CustomPowerUp* found = nullptr;
    list.forEach([&](const CustomPowerUp& p) {
        if (!found && p.index == wanted) found = &p;
    });
    return found;
}
