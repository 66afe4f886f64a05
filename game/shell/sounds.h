// The game's sounds: every effect by number, as pictures.h numbers the
// pictures, and the tunes. The files are rendered at build time from the
// sources in art/sounds/ into Data/Klang/.
#pragma once

// Effects, by slot.
enum SoundSlot : int {
    kSoundStoneShot = 1,
    kSoundBigStoneShot,
    kSoundHealingShot,
    kSoundRedStoneShot,
    kSoundBloodShot,
    kSoundHeartShot,
    kSoundWaterShot,
    kSoundGhostShot,
    kSoundMiniShot,
    kSoundMineShot,
    kSoundSnowballShot,
    kSoundPlagueShot,
    kSoundOpponentShot,
    kSoundOpponentHit,
    kSoundPlayerHit,
    kSoundOpponentDeath,
    kSoundPlayerDeath,
    kSoundReturn,
    kSoundItemAppears,
    kSoundFormTaken,
    kSoundTurretTaken,
    kSoundHealthTaken,
    kSoundCustomTaken,
    kSoundFormEnds,
    kSoundArrowTurret,
    kSoundLaserTurret,
    kSoundMissileTurret,
    kSoundStarTurret,
    kSoundPlasmaTurret,
    kSoundSnowflakeTurret,
    kSoundPoisonTurret,
    kSoundLifeLost,
    kSoundFadeOut,
    kSoundPause,
    kSoundMenuHover,
    kSoundMenuClick,
    kSoundNewEntry,
};

struct SoundFile {
    int slot;
    const char* file;
};

inline constexpr SoundFile kSoundTable[] = {
    {kSoundStoneShot, "Data/Klang/schuss_stein.wav"},
    {kSoundBigStoneShot, "Data/Klang/schuss_grosser_stein.wav"},
    {kSoundHealingShot, "Data/Klang/schuss_heilung.wav"},
    {kSoundRedStoneShot, "Data/Klang/schuss_rot.wav"},
    {kSoundBloodShot, "Data/Klang/schuss_blut.wav"},
    {kSoundHeartShot, "Data/Klang/schuss_herz.wav"},
    {kSoundWaterShot, "Data/Klang/schuss_wasser.wav"},
    {kSoundGhostShot, "Data/Klang/schuss_geist.wav"},
    {kSoundMiniShot, "Data/Klang/schuss_mini.wav"},
    {kSoundMineShot, "Data/Klang/schuss_mine.wav"},
    {kSoundSnowballShot, "Data/Klang/schuss_schnee.wav"},
    {kSoundPlagueShot, "Data/Klang/schuss_pest.wav"},
    {kSoundOpponentShot, "Data/Klang/gegner_schuss.wav"},
    {kSoundOpponentHit, "Data/Klang/treffer_gegner.wav"},
    {kSoundPlayerHit, "Data/Klang/treffer_spieler.wav"},
    {kSoundOpponentDeath, "Data/Klang/tod_gegner.wav"},
    {kSoundPlayerDeath, "Data/Klang/tod_spieler.wav"},
    {kSoundReturn, "Data/Klang/rueckkehr.wav"},
    {kSoundItemAppears, "Data/Klang/item_erscheint.wav"},
    {kSoundFormTaken, "Data/Klang/item_form.wav"},
    {kSoundTurretTaken, "Data/Klang/item_turm.wav"},
    {kSoundHealthTaken, "Data/Klang/item_heilung.wav"},
    {kSoundCustomTaken, "Data/Klang/item_eigen.wav"},
    {kSoundFormEnds, "Data/Klang/form_ende.wav"},
    {kSoundArrowTurret, "Data/Klang/turm_pfeil.wav"},
    {kSoundLaserTurret, "Data/Klang/turm_laser.wav"},
    {kSoundMissileTurret, "Data/Klang/turm_rakete.wav"},
    {kSoundStarTurret, "Data/Klang/turm_stern.wav"},
    {kSoundPlasmaTurret, "Data/Klang/turm_plasma.wav"},
    {kSoundSnowflakeTurret, "Data/Klang/turm_schnee.wav"},
    {kSoundPoisonTurret, "Data/Klang/turm_gift.wav"},
    {kSoundLifeLost, "Data/Klang/leben_weg.wav"},
    {kSoundFadeOut, "Data/Klang/ausblenden.wav"},
    {kSoundPause, "Data/Klang/pause.wav"},
    {kSoundMenuHover, "Data/Klang/menue_hover.wav"},
    {kSoundMenuClick, "Data/Klang/menue_klick.wav"},
    {kSoundNewEntry, "Data/Klang/neuer_eintrag.wav"},
};

inline constexpr const char* kTitleMusic = "Data/Klang/musik_titel.wav";
inline constexpr const char* kGameMusic = "Data/Klang/musik_spiel.wav";
inline constexpr const char* kGameOverJingle = "Data/Klang/jingle_spielende.wav";

// Data/Klang.txt: two lines, the volume of the effects and of the music,
// each a whole number from 0 to 100. A file that is missing or damaged in
// any way means the defaults. Both at 0 is the muted game.
inline constexpr const char* kSoundSettingsPath = "Data/Klang.txt";
struct SoundSettings {
    int effects = 80;
    int music = 60;
    bool operator==(const SoundSettings&) const = default;
};
SoundSettings readSoundSettings();
bool writeSoundSettings(const SoundSettings& settings);

// Opens the sound device, loads every effect and sets the volumes of
// Data/Klang.txt; quiet when there is no device.
void loadSounds();
// M: mutes all sound, or brings it back at the volumes it had (the
// defaults when it started muted), and keeps the choice for the next start.
void toggleMute();
// The sound of a player's shot by its picture: each family of shots has one;
// a custom power-up's shot sounds like the stone it stands in for.
int shotSound(int shotImage);
// The sound of a turret's shot by its picture.
int turretSound(int shotImage);
