// Pictures decoding in the background. Start-up queues the whole catalogue
// and goes on at once; SDL threads decode the queue in order while the intro
// runs, and whoever needs a picture first takes it, decoding it on the spot
// when no thread has begun on it yet. The first picture on screen then waits
// for itself only, not for fifteen full-screen PNGs.
#include <SDL.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "media/media_internal.h"

namespace media_internal {
namespace {

enum class State { Waiting, Busy, Done, Gone };

struct Entry {
    PictureRequest request;
    State state = State::Waiting;
    bool ok = false;
    DecodedImage picture;
};

std::mutex gMutex;
std::condition_variable gDone;
std::vector<std::unique_ptr<Entry>> gEntries;  // by ticket; stable while workers run
std::size_t gNext = 0;                         // first ticket no thread has looked at
std::size_t gOpen = 0;                         // tickets not yet taken or abandoned
bool gStopping = false;
std::vector<SDL_Thread*> gWorkers;
int gIdleWorkers = 0;

void decodeEntry(Entry& e) {
    e.ok = decodeImageFile(e.request.path, e.picture);
    if (e.ok) preparePicture(e.picture, e.request.mode, e.request.transparentRgb);
}

// The next picture no thread has begun on, marked as begun; null when there
// is none. Called with the lock held.
Entry* claimNext() {
    while (gNext < gEntries.size() && gEntries[gNext]->state != State::Waiting) ++gNext;
    if (gStopping || gNext == gEntries.size()) return nullptr;
    Entry* e = gEntries[gNext++].get();
    e->state = State::Busy;
    return e;
}

// Decodes a claimed picture outside the lock.
void decodeClaimed(Entry& e, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    decodeEntry(e);
    lock.lock();
    // Abandoned meanwhile: nobody will take it.
    if (e.state == State::Gone)
        e.picture = DecodedImage{};
    else
        e.state = State::Done;
    gDone.notify_all();
}

int worker(void*) {
    std::unique_lock<std::mutex> lock(gMutex);
    while (Entry* e = claimNext()) decodeClaimed(*e, lock);
    ++gIdleWorkers;
    return 0;
}

void joinWorkers() {
    for (SDL_Thread* t : gWorkers) SDL_WaitThread(t, nullptr);
    gWorkers.clear();
    gIdleWorkers = 0;
}

// Called with the lock held once every ticket is settled.
void forgetEntries() {
    gEntries.clear();
    gNext = 0;
}

}  // namespace

std::size_t queuePicture(const PictureRequest& request) {
    std::unique_lock<std::mutex> lock(gMutex);
    // Threads that ran out of work have ended; new work needs new ones.
    if (!gWorkers.empty() && gIdleWorkers == static_cast<int>(gWorkers.size())) {
        lock.unlock();
        joinWorkers();
        lock.lock();
    }
    if (gOpen == 0 && gWorkers.empty()) forgetEntries();
    auto e = std::make_unique<Entry>();
    e->request = request;
    gEntries.push_back(std::move(e));
    ++gOpen;
    return gEntries.size() - 1;
}

void startDecoding() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gWorkers.empty()) return;
    gStopping = false;
    // One core stays free for the program itself, which goes on meanwhile.
    const int threads = std::clamp(SDL_GetCPUCount() - 1, 1, 3);
    for (int k = 0; k < threads; ++k)
        if (SDL_Thread* t = SDL_CreateThread(worker, "pomvex-decode", nullptr))
            gWorkers.push_back(t);
}

bool takePicture(std::size_t ticket, DecodedImage& out) {
    std::unique_lock<std::mutex> lock(gMutex);
    if (ticket >= gEntries.size()) return false;
    Entry& e = *gEntries[ticket];
    if (e.state == State::Waiting) {
        // Needed before any thread got to it: decode it here.
        e.state = State::Busy;
        decodeClaimed(e, lock);
    }
    // Another thread is on it: help with the rest of the queue meanwhile.
    while (e.state == State::Busy) {
        if (Entry* other = claimNext())
            decodeClaimed(*other, lock);
        else
            gDone.wait(lock);
    }
    const bool ok = e.state == State::Done && e.ok;
    out = std::move(e.picture);
    e.picture = DecodedImage{};
    e.state = State::Gone;
    --gOpen;
    return ok;
}

void abandonPicture(std::size_t ticket) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (ticket >= gEntries.size() || gEntries[ticket]->state == State::Gone) return;
    Entry& e = *gEntries[ticket];
    if (e.state != State::Busy) e.picture = DecodedImage{};
    e.state = State::Gone;
    --gOpen;
}

void stopDecoding() {
    {
        std::lock_guard<std::mutex> lock(gMutex);
        gStopping = true;
    }
    joinWorkers();
    std::lock_guard<std::mutex> lock(gMutex);
    forgetEntries();
    gOpen = 0;
    gStopping = false;
}

}  // namespace media_internal
