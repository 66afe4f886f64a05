// The game's texts are Windows-1252 bytes, in memory and in every file.
// SDL_ttf, message boxes and FLTK want UTF-8; these convert at that border.
#pragma once

#include <string>
#include <string_view>

std::string cp1252ToUtf8(std::string_view text);
// Characters that Windows-1252 cannot hold become '?'; malformed UTF-8 bytes
// are taken as Latin-1 so nothing a user typed is silently dropped.
std::string utf8ToCp1252(std::string_view text);
