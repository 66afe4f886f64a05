// Sound through SDL2_mixer: effects as chunks in numbered slots, the music
// streamed from its file. Everything here is quiet about failure: without a
// device, or with a file that does not load, the game plays on silently.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "media/media_internal.h"

namespace {

// 48 kHz and 512 sample frames: about 11 ms from a sound's start to the
// speaker, on top of the frame that asked for it.
constexpr int kRate = 48000;
constexpr int kBufferFrames = 512;
constexpr int kChannels = 32;

struct SoundSlot {
    Mix_Chunk* chunk = nullptr;
    long long lastStart = -1;  // flipCount() when it last started
};

bool gOpen = false;
bool gToldNoDevice = false;
std::vector<SoundSlot> gSounds;
Mix_Music* gMusic = nullptr;
std::string gMusicFile;
int gEffectsVolume = 100, gMusicVolume = 100;
bool gMuted = false;

// What the tests hear: frames counted as the mixer hands them out.
std::atomic<long long> gFramesMixed{0};
std::atomic<long long> gListenFrom{-1};
std::atomic<long long> gHeard{-1};
using Clock = std::chrono::steady_clock;
std::atomic<Clock::rep> gLastStartTime{0};
std::atomic<Clock::rep> gHeardTime{0};

void countMixed(void*, Uint8* stream, int bytes) {
    const long long first = gFramesMixed.load();
    const int frames = bytes / 4;  // 16-bit stereo
    gFramesMixed += frames;
    const long long from = gListenFrom.load();
    if (from < 0 || gHeard.load() >= 0 || first + frames <= from) return;
    const auto* samples = reinterpret_cast<const Sint16*>(stream);
    for (int i = std::max<long long>(0, from - first); i < frames; ++i)
        if (std::abs(samples[2 * i]) > 1000 || std::abs(samples[2 * i + 1]) > 1000) {
            gHeardTime = (Clock::now() + std::chrono::microseconds(i * 1000000LL / kRate))
                             .time_since_epoch()
                             .count();
            gHeard = first + i;
            return;
        }
}

int mixVolume(int percent) {
    return gMuted ? 0 : std::clamp(percent, 0, 100) * MIX_MAX_VOLUME / 100;
}

void applyVolumes() {
    if (!gOpen) return;
    Mix_Volume(-1, mixVolume(gEffectsVolume));
    Mix_VolumeMusic(mixVolume(gMusicVolume));
}

int voicesOf(const Mix_Chunk* chunk) {
    int n = 0;
    for (int channel = 0; channel < kChannels; ++channel)
        if (Mix_Playing(channel) && Mix_GetChunk(channel) == chunk) ++n;
    return n;
}

}  // namespace

bool openAudio() {
    if (gOpen) return true;
    const bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                    Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, kBufferFrames) == 0;
    if (!ok) {
        if (!gToldNoDevice)
            std::fprintf(stderr, "pomvex: no sound (%s); the game plays silently\n",
                         SDL_GetError());
        gToldNoDevice = true;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kChannels);
    gFramesMixed = 0;
    gListenFrom = -1;
    Mix_SetPostMix(countMixed, nullptr);
    gOpen = true;
    applyVolumes();
    return true;
}

bool audioOpen() {
    return gOpen;
}

bool loadSound(int slot, const std::string& file) {
    if (slot < 0 || !gOpen) return false;
    if (slot >= static_cast<int>(gSounds.size())) gSounds.resize(slot + 1);
    SoundSlot& s = gSounds[slot];
    if (s.chunk) {
        Mix_HaltGroup(-1);
        Mix_FreeChunk(s.chunk);
    }
    s = SoundSlot{};
    s.chunk = Mix_LoadWAV(file.c_str());
    return s.chunk != nullptr;
}

void playSound(int slot) {
    if (!gOpen || !presentingOn() || slot < 0 || slot >= static_cast<int>(gSounds.size())) return;
    SoundSlot& s = gSounds[slot];
    if (!s.chunk) return;
    // A sound starts at most once a frame and has at most a few voices, so
    // a frame full of shots stays one clear sound instead of a roar.
    const long long frame = flipCount();
    if (s.lastStart == frame || voicesOf(s.chunk) >= kVoicesPerSound) return;
    s.lastStart = frame;
    gLastStartTime = Clock::now().time_since_epoch().count();
    Mix_PlayChannel(-1, s.chunk, 0);
}

void playMusic(const std::string& file, bool loop) {
    if (!gOpen || !presentingOn()) return;
    if (file == gMusicFile && gMusic && Mix_PlayingMusic()) return;
    Mix_HaltMusic();
    if (gMusic) Mix_FreeMusic(gMusic);
    gMusic = nullptr;
    gMusicFile = file;
    if (file.empty()) return;
    gMusic = Mix_LoadMUS(file.c_str());
    if (gMusic) Mix_PlayMusic(gMusic, loop ? -1 : 1);
}

void setVolumes(int effects, int music) {
    gEffectsVolume = effects;
    gMusicVolume = music;
    applyVolumes();
}

void setMuted(bool muted) {
    gMuted = muted;
    applyVolumes();
}

bool audioMuted() {
    return gMuted;
}

int soundVoices(int slot) {
    if (!gOpen || slot < 0 || slot >= static_cast<int>(gSounds.size()) || !gSounds[slot].chunk)
        return 0;
    return voicesOf(gSounds[slot].chunk);
}

long long audioFramesMixed() {
    return gFramesMixed.load();
}

void listenFrom(long long frame) {
    gHeard = -1;
    gListenFrom = frame;
}

long long firstHeardFrame() {
    return gHeard.load();
}

double heardDelaySeconds() {
    return std::chrono::duration<double>(Clock::duration(gHeardTime.load() - gLastStartTime.load()))
        .count();
}

namespace media_internal {

void shutdownAudio() {
    if (!gOpen) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (SoundSlot& s : gSounds)
        if (s.chunk) Mix_FreeChunk(s.chunk);
    gSounds.clear();
    if (gMusic) Mix_FreeMusic(gMusic);
    gMusic = nullptr;
    gMusicFile.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gOpen = false;
}

}  // namespace media_internal
