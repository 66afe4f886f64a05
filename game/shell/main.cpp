// Pomvex: a full-screen action game for one or two players on one keyboard.
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"

int main() {
    if (!startUp()) {
        shutDown(false);
        return 0;
    }
    const LoopEnd end = runOuterLoop();
    shutDown(end == LoopEnd::Quit);
    return 0;
}
