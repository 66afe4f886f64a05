// What a picture file's header promises, checked before any decoder is given
// the file. Pictures come from players (their own smileys, and whatever
// pictures a shared power-up names), so a header may lie: a file of a few
// bytes can declare 8192 x 8192 pixels, and a decoder that believed it would
// allocate and clear a quarter gigabyte before finding out.
#pragma once

#include <string>

// The largest picture accepted, per side and in area. The game's largest
// picture is the 1366 x 768 canvas, so this leaves room for any sensible
// home-made one.
inline constexpr long long kMaxPictureSide = 8192;
inline constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

bool pictureSizeAcceptable(long long width, long long height);

enum class PictureVerdict {
    Plausible,    // its size is acceptable and the file holds enough data for it
    NotAPicture,  // missing, unreadable, or not a BMP, PNG or JPEG
    TooLarge,     // it declares more pixels than we accept
    Truncated,    // the file holds less data than the declared picture needs
};

struct PictureHeader {
    enum Format { None, Bmp, Png, Jpeg } format = None;
    long long width = 0, height = 0;  // as declared; 0 for JPEG, which libjpeg reads itself
};

// Reads only the headers (and, for a PNG, its chunk list) of the file. For a
// JPEG it checks the signature alone: libjpeg reads its header without
// allocating anything for the pixels, and the caller checks the size then.
PictureVerdict checkPictureFile(const std::string& path, PictureHeader* header = nullptr);
