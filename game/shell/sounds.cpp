#include "game/shell/sounds.h"

#include <cstdio>

#include "base/text_file.h"
#include "game/shell/pictures.h"
#include "media/media_layer.h"

namespace {

SoundSettings gSettings;
SoundSettings gBeforeMute;

bool readVolume(const std::string& line, int& out) {
    if (line.empty() || line.size() > 3) return false;
    int v = 0;
    for (char c : line) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > 100) return false;
    out = v;
    return true;
}

bool muted(const SoundSettings& s) {
    return s.effects == 0 && s.music == 0;
}

}  // namespace

SoundSettings readSoundSettings() {
    LineReader in = LineReader::open(kSoundSettingsPath);
    SoundSettings s;
    if (!readVolume(in.readLine(), s.effects) || !readVolume(in.readLine(), s.music))
        return SoundSettings{};
    return s;
}

bool writeSoundSettings(const SoundSettings& s) {
    TextWriter out;
    out.writeLine(std::to_string(s.effects));
    out.writeLine(std::to_string(s.music));
    const WriteResult written = out.commit(kSoundSettingsPath);
    if (!written)
        std::fprintf(stderr, "pomvex: %s could not be written: %s\n", kSoundSettingsPath,
                     written.reason.c_str());
    return static_cast<bool>(written);
}

void loadSounds() {
    gSettings = readSoundSettings();
    gBeforeMute = SoundSettings{};
    setVolumes(gSettings.effects, gSettings.music);
    if (!openAudio()) return;
    for (const SoundFile& s : kSoundTable) loadSound(s.slot, s.file);
}

void toggleMute() {
    if (muted(gSettings)) {
        gSettings = muted(gBeforeMute) ? SoundSettings{} : gBeforeMute;
    } else {
        gBeforeMute = gSettings;
        gSettings = {0, 0};
    }
    setVolumes(gSettings.effects, gSettings.music);
    writeSoundSettings(gSettings);
}

int shotSound(int shotImage) {
    switch (shotImage) {
        case kBigStoneShotImage:
            return kSoundBigStoneShot;
        case kHealingShotImage:
            return kSoundHealingShot;
        case kRedStoneShotImage:
            return kSoundRedStoneShot;
        case kBloodShotImage:
        case kBloodDropShotImage:
            return kSoundBloodShot;
        case kHeartShotImage:
            return kSoundHeartShot;
        case kWaterShotImage:
            return kSoundWaterShot;
        case kGhostShotImage:
            return kSoundGhostShot;
        case kMiniShotImage:
            return kSoundMiniShot;
        case kMineShotImage:
            return kSoundMineShot;
        case kSnowballShotImage:
            return kSoundSnowballShot;
        case kPlagueShotImage:
            return kSoundPlagueShot;
        default:
            return kSoundStoneShot;
    }
}

int turretSound(int shotImage) {
    switch (shotImage) {
        case kLaserImage:
            return kSoundLaserTurret;
        case kMissileImage:
            return kSoundMissileTurret;
        case kStarShotImage:
            return kSoundStarTurret;
        case kPlasmaImage:
            return kSoundPlasmaTurret;
        case kSnowflakeImage:
            return kSoundSnowflakeTurret;
        case kPoisonShotImage:
            return kSoundPoisonTurret;
        default:
            return kSoundArrowTurret;
    }
}
