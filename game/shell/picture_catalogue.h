// Loading the pictures at start-up. Which file goes into which slot is the
// table in pictures.h.
#pragma once

#include "game/shell/pictures.h"

// Loads every picture with magenta as the transparent colour and makes the
// rotatable sprites. A picture that does not load leaves its slot empty.
void loadPictures();
