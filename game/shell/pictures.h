// Every picture slot of the game, named once, and the table of the files that
// fill them at start-up. Records of the game store these slot numbers.
// art/pictures.txt lists the same files with the drawings they are made
// from; the build checks that the two agree (tests/picture_table_check.cpp).
#pragma once

// ---- players, opponents and their forms --------------------------------------

constexpr int kFirstPlayerImage = 0;    // Spieler1.bmp
constexpr int kSecondPlayerImage = 1;   // Spieler2.bmp
constexpr int kMoenchImage = 2;         // SpielerSpecial1.bmp
constexpr int kAngsthaseImage = 3;      // SpielerSpecial2.bmp
constexpr int kSchattenImage = 4;       // SpielerSpecial3.bmp
constexpr int kZombieImage = 5;         // SpielerSpecial4.bmp
constexpr int kWutImage = 6;            // SpielerSpecial5.bmp
constexpr int kGroovyboyImage = 7;      // SpielerSpecial6.bmp
constexpr int kVampirImage = 8;         // SpielerSpecial7.bmp
constexpr int kOpponentImage = 10;      // Böse.bmp
constexpr int kGraveImage = 25;         // Grab.bmp
constexpr int kMiniboyImage = 26;       // SpielerSpecial8.bmp
constexpr int kSeherImage = 27;         // SpielerSpecial9.bmp
constexpr int kArztImage = 30;          // SpielerSpecial10.bmp
constexpr int kRieseImage = 31;         // SpielerSpecial11.bmp
constexpr int kIronmanImage = 35;       // SpielerSpecial12.bmp
constexpr int kSteinImage = 36;         // SpielerSpecial13.bmp
constexpr int kGeistImage = 37;         // SpielerSpecial14.bmp, drawn over its stand-in
constexpr int kGeistStandInImage = 38;  // Nichts.bmp: see-through, hit-tested
constexpr int kEngelImage = 40;         // SpielerSpecial15.bmp
constexpr int kLsdImage = 41;           // SpielerSpecial16.bmp, drawn over its stand-in
constexpr int kLsdStandInImage = 42;    // Nichts2.bmp: see-through, hit-tested
constexpr int kBluttropfenImage = 45;   // SpielerSpecial17.bmp
constexpr int kMrMoneyImage = 48;       // SpielerSpecial18.bmp
constexpr int kSoldatImage = 82;        // SpielerSpecial19.bmp
constexpr int kPestleicheImage = 86;    // SpielerSpecial20.bmp
constexpr int kSchneemannImage = 87;    // SpielerSpecial21.bmp

// ---- shots --------------------------------------------------------------------

constexpr int kStoneShotImage = 9;       // Stein.bmp, also the menus' pointer
constexpr int kWaterShotImage = 22;      // Wasser.bmp, rotatable
constexpr int kRedStoneShotImage = 23;   // SteinRot.bmp
constexpr int kBloodShotImage = 24;      // Blut.bmp
constexpr int kBloodDropShotImage = 28;  // Blut2.bmp
constexpr int kHeartShotImage = 29;      // Herz.bmp
constexpr int kBigStoneShotImage = 32;   // GrosserStein.bmp
constexpr int kGhostShotImage = 39;      // Durchsicht.bmp
constexpr int kHealingShotImage = 44;    // Heilung.bmp
constexpr int kOpponentShotImage = 46;   // GegnerShot.bmp
constexpr int kSlowedMarkImage = 47;     // Langsam.bmp, a ring around a slowed shot
constexpr int kMiniShotImage = 50;       // Minishot.bmp
constexpr int kMineShotImage = 83;       // Mine.bmp
constexpr int kSnowballShotImage = 88;   // Schneeball.bmp
constexpr int kPlagueShotImage = 89;     // Pest.bmp

// ---- auras and overlays ---------------------------------------------------------

constexpr int kTimeAuraImage = 33;          // Kreis1.bmp
constexpr int kDamageAuraImage = 34;        // Kreis2.bmp
constexpr int kNegativeAuraImage = 43;      // Kreis3.bmp
constexpr int kTransformAuraImage = 49;     // Kreis4.bmp
constexpr int kPlagueOverlayImage = 84;     // Gifttropfen.bmp
constexpr int kParalysisOverlayImage = 91;  // Paralysis.png
constexpr int kFrostOverlayImage = 93;      // Frost.png

// ---- bars -----------------------------------------------------------------------

// Opponents' health bars and the small bars under form timers and turrets.
constexpr int kRedBarImage = 11;     // LebenRotAktiv.bmp
constexpr int kGreenBarImage = 12;   // LebenGruenAktiv.bmp
constexpr int kYellowBarImage = 13;  // LebenGelbAktiv.bmp
constexpr int kEmptyBarImage = 14;   // LebenInaktiv.bmp
// A second copy of LebenGruenAktiv.bmp: the timer bars clip it to their
// length, which must never cut the opponents' green bar short.
constexpr int kTimerBarFillImage = 20;
// The players' health bars and the shared lives strip.
constexpr int kEmptyHealthBarsImage = 15;  // PlayerLebenTot.bmp
constexpr int kFirstHealthBarImage = 16;   // PlayerLeben.bmp
constexpr int kSecondHealthBarImage = 17;  // PlayerLeben.bmp again, clipped on its own
constexpr int kFullLivesImage = 52;        // LebenInsg.bmp
constexpr int kEmptyLivesImage = 53;       // lebenInsgAus.bmp

// ---- items and turrets ------------------------------------------------------------

constexpr int kPowerUpItemImage = 18;  // PowerUp.bmp
constexpr int kLifeItemImage = 19;     // LifeUp.bmp
constexpr int kItemVeilImage = 79;     // PowerUp - Grau.bmp
constexpr int kTurretItemImage = 80;   // PowerUp - Lila.bmp
constexpr int kCustomItemImage = 98;   // EigenUp.bmp
constexpr int kTurretImage = 74;       // Schiessturm.bmp
// The turrets' projectiles are rotatable sprites whose numbers are their slots.
constexpr int kArrowImage = 75;       // Pfeil.bmp
constexpr int kLaserImage = 76;       // Laser.bmp
constexpr int kMissileImage = 77;     // Rakete.bmp
constexpr int kStarShotImage = 78;    // Sternschuss.bmp
constexpr int kPlasmaImage = 81;      // Plasma.bmp
constexpr int kSnowflakeImage = 85;   // Schneeflocke.bmp
constexpr int kPoisonShotImage = 90;  // GiftturmSchuss.bmp

// ---- animation strips: equally wide frames side by side -------------------------

constexpr int kOpponentDeathStrip = 94;  // Tod1Anim.png: 10 frames of 100, 4 ticks
constexpr int kShotHitStrip = 95;        // SchussAnim.png: 5 frames of 30, 3 ticks
constexpr int kPlayerDeathStrip = 96;    // PlayerTodAnim.png: 5 frames of 100, 6 ticks
constexpr int kItemSparkleStrip = 97;    // PowerUpAnim.png: 6 frames of 100, 3 ticks

// ---- screens ----------------------------------------------------------------------

constexpr int kBackgroundImage = 51;  // Back.jpg
constexpr int kBlackImage = 65;       // Black.jpg, rotatable: the fade overlay
constexpr int kLogoImage = 92;        // Logo.png
constexpr int kTitleImage = 64;       // Title.png
constexpr int kTitlePlainImage = 54;  // Start.png: no button under the pointer
// The title screen with one button lit, one picture per button.
constexpr int kTitleStartImage = 55;       // Start1.png
constexpr int kTitleHighScoresImage = 56;  // Start2.png
constexpr int kTitleEasyImage = 57;        // Start3.png
constexpr int kTitleNormalImage = 58;      // Start4.png
constexpr int kTitleKrankImage = 59;       // Start5.png
constexpr int kTitleQuitImage = 60;        // Start6.png
constexpr int kTitleOnePlayerImage = 72;   // Start7.png
constexpr int kTitleTwoPlayersImage = 73;  // Start8.png
constexpr int kChoiceMarkImage = 63;       // Schwierigkeit.png: marks mode and difficulty
constexpr int kHighScoresImage = 62;       // Highscores.png
constexpr int kHighScoresTitleImage = 66;  // HighscoresTitle.png
constexpr int kGameOverImage = 61;         // GameOver.png
constexpr int kGameOverTitleImage = 67;    // GameOverTitle.png
constexpr int kStarsImage = 68;            // Stern.bmp: seven stars of 51
constexpr int kPauseContinueImage = 69;    // Pause1.png
constexpr int kPauseEndImage = 70;         // Pause2.png
// Holds a snapshot of the canvas while the game is paused; no file.
constexpr int kPauseSnapshotImage = 71;
// Holds the last frame while a network game waits for the other machine.
constexpr int kNetWaitSnapshotImage = 99;

// ---- custom power-ups ---------------------------------------------------------------

// Custom power-up n brings its smiley into slot 1000 + n and its shot into
// 2000 + n, from files of the user's own.
constexpr int kCustomSmileySlotBase = 1000;
constexpr int kCustomShotSlotBase = 2000;

// ---- the files --------------------------------------------------------------------

struct PictureRow {
    int slot;
    const char* file;  // relative to the working folder, UTF-8
    int mode;          // load mode: 0 plain, 4 texture, 12 texture with own alpha
};

// Every picture the game loads, in load order.
inline constexpr PictureRow kPictureTable[] = {
    {kFirstPlayerImage, "Data/Spieler1.bmp", 0},
    {kSecondPlayerImage, "Data/Spieler2.bmp", 0},
    {kMoenchImage, "Data/SpielerSpecial1.bmp", 0},
    {kAngsthaseImage, "Data/SpielerSpecial2.bmp", 0},
    {kSchattenImage, "Data/SpielerSpecial3.bmp", 0},
    {kZombieImage, "Data/SpielerSpecial4.bmp", 0},
    {kWutImage, "Data/SpielerSpecial5.bmp", 0},
    {kGroovyboyImage, "Data/SpielerSpecial6.bmp", 0},
    {kVampirImage, "Data/SpielerSpecial7.bmp", 0},
    {kStoneShotImage, "Data/Stein.bmp", 0},
    {kOpponentImage, "Data/Böse.bmp", 0},
    {kRedBarImage, "Data/LebenRotAktiv.bmp", 0},
    {kGreenBarImage, "Data/LebenGruenAktiv.bmp", 0},
    {kYellowBarImage, "Data/LebenGelbAktiv.bmp", 0},
    {kEmptyBarImage, "Data/LebenInaktiv.bmp", 0},
    {kEmptyHealthBarsImage, "Data/PlayerLebenTot.bmp", 0},
    {kFirstHealthBarImage, "Data/PlayerLeben.bmp", 0},
    {kSecondHealthBarImage, "Data/PlayerLeben.bmp", 0},
    {kPowerUpItemImage, "Data/PowerUp.bmp", 0},
    {kLifeItemImage, "Data/LifeUp.bmp", 0},
    {kTimerBarFillImage, "Data/LebenGruenAktiv.bmp", 0},
    {kWaterShotImage, "Data/Wasser.bmp", 12},
    {kRedStoneShotImage, "Data/SteinRot.bmp", 0},
    {kBloodShotImage, "Data/Blut.bmp", 0},
    {kGraveImage, "Data/Grab.bmp", 0},
    {kMiniboyImage, "Data/SpielerSpecial8.bmp", 0},
    {kSeherImage, "Data/SpielerSpecial9.bmp", 0},
    {kBloodDropShotImage, "Data/Blut2.bmp", 0},
    {kHeartShotImage, "Data/Herz.bmp", 0},
    {kArztImage, "Data/SpielerSpecial10.bmp", 0},
    {kRieseImage, "Data/SpielerSpecial11.bmp", 0},
    {kBigStoneShotImage, "Data/GrosserStein.bmp", 0},
    {kTimeAuraImage, "Data/Kreis1.bmp", 0},
    {kDamageAuraImage, "Data/Kreis2.bmp", 0},
    {kIronmanImage, "Data/SpielerSpecial12.bmp", 0},
    {kSteinImage, "Data/SpielerSpecial13.bmp", 0},
    {kGeistImage, "Data/SpielerSpecial14.bmp", 0},
    {kGeistStandInImage, "Data/Nichts.bmp", 0},
    {kGhostShotImage, "Data/Durchsicht.bmp", 0},
    {kEngelImage, "Data/SpielerSpecial15.bmp", 0},
    {kLsdImage, "Data/SpielerSpecial16.bmp", 0},
    {kLsdStandInImage, "Data/Nichts2.bmp", 0},
    {kNegativeAuraImage, "Data/Kreis3.bmp", 0},
    {kHealingShotImage, "Data/Heilung.bmp", 0},
    {kBluttropfenImage, "Data/SpielerSpecial17.bmp", 0},
    {kOpponentShotImage, "Data/GegnerShot.bmp", 0},
    {kSlowedMarkImage, "Data/Langsam.bmp", 0},
    {kMrMoneyImage, "Data/SpielerSpecial18.bmp", 0},
    {kTransformAuraImage, "Data/Kreis4.bmp", 0},
    {kMiniShotImage, "Data/Minishot.bmp", 0},
    {kFullLivesImage, "Data/LebenInsg.bmp", 0},
    {kEmptyLivesImage, "Data/lebenInsgAus.bmp", 0},
    {kStarsImage, "Data/Stern.bmp", 0},
    {kTurretImage, "Data/Schiessturm.bmp", 0},
    {kArrowImage, "Data/Pfeil.bmp", 12},
    {kLaserImage, "Data/Laser.bmp", 12},
    {kMissileImage, "Data/Rakete.bmp", 12},
    {kStarShotImage, "Data/Sternschuss.bmp", 12},
    {kItemVeilImage, "Data/PowerUp - Grau.bmp", 12},
    {kTurretItemImage, "Data/PowerUp - Lila.bmp", 0},
    {kPlasmaImage, "Data/Plasma.bmp", 12},
    {kSoldatImage, "Data/SpielerSpecial19.bmp", 0},
    {kMineShotImage, "Data/Mine.bmp", 0},
    {kPlagueOverlayImage, "Data/Gifttropfen.bmp", 0},
    {kSnowflakeImage, "Data/Schneeflocke.bmp", 12},
    {kPestleicheImage, "Data/SpielerSpecial20.bmp", 0},
    {kSchneemannImage, "Data/SpielerSpecial21.bmp", 0},
    {kSnowballShotImage, "Data/Schneeball.bmp", 0},
    {kPlagueShotImage, "Data/Pest.bmp", 0},
    {kPoisonShotImage, "Data/GiftturmSchuss.bmp", 12},
    {kCustomItemImage, "Data/EigenUp.bmp", 12},
    {kParalysisOverlayImage, "Data/Paralysis.png", 12},
    {kTitlePlainImage, "Data/Start.png", 12},
    {kTitleStartImage, "Data/Start1.png", 12},
    {kTitleHighScoresImage, "Data/Start2.png", 12},
    {kTitleEasyImage, "Data/Start3.png", 12},
    {kTitleNormalImage, "Data/Start4.png", 12},
    {kTitleKrankImage, "Data/Start5.png", 12},
    {kTitleQuitImage, "Data/Start6.png", 12},
    {kGameOverImage, "Data/GameOver.png", 12},
    {kHighScoresImage, "Data/Highscores.png", 12},
    {kChoiceMarkImage, "Data/Schwierigkeit.png", 12},
    {kTitleImage, "Data/Title.png", 12},
    {kHighScoresTitleImage, "Data/HighscoresTitle.png", 12},
    {kGameOverTitleImage, "Data/GameOverTitle.png", 12},
    {kPauseContinueImage, "Data/Pause1.png", 12},
    {kPauseEndImage, "Data/Pause2.png", 12},
    {kTitleOnePlayerImage, "Data/Start7.png", 12},
    {kTitleTwoPlayersImage, "Data/Start8.png", 12},
    {kLogoImage, "Data/Logo.png", 12},
    {kFrostOverlayImage, "Data/Frost.png", 12},
    {kOpponentDeathStrip, "Data/Tod1Anim.png", 12},
    {kShotHitStrip, "Data/SchussAnim.png", 12},
    {kPlayerDeathStrip, "Data/PlayerTodAnim.png", 12},
    {kItemSparkleStrip, "Data/PowerUpAnim.png", 12},
    {kBlackImage, "Data/Black.jpg", 4},
    {kBackgroundImage, "Data/Back.jpg", 12},
};
inline constexpr int kPictureCount =
    static_cast<int>(sizeof kPictureTable / sizeof kPictureTable[0]);
