// Pomvex: a full-screen action game for one or two players on one keyboard.
#include "game/shell/start_up.h"

int main() {
    return runProgram();
}
