// How both tools look and speak: the same scheme, ground, font and German
// button texts, so that the two windows never drift apart.
#pragma once

// Call once the display is open, before any window is built.
void useToolLook();
