// Any file in Data/ or "Eigene Smileys/" may be damaged, cut short or made
// by hand to hurt: it goes through the game's own loader (the media layer's
// loadSprite, which picks BMP, PNG or JPEG by the first bytes) and must come
// out as either an empty slot or a sane picture that draws and hit-tests.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "media/media_layer.h"

namespace {

std::string gPath;

constexpr int kSlot = 1;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    FUZZ_CHECK(initMedia());
    char name[] = "/tmp/pomvex-picture-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    FUZZ_CHECK(fd >= 0);
    close(fd);
    gPath = name;
    std::atexit([] { std::remove(gPath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(gPath.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);

    // Mode 12 keeps the picture's alpha, mode 0 keys out magenta only; both
    // paths run for every input.
    for (int mode : {12, 0}) {
        const int loaded = loadSprite(kSlot, gPath, mode);
        FUZZ_CHECK(loaded == (spriteLoaded(kSlot) ? 1 : 0));
        if (!loaded) {
            FUZZ_CHECK(fullWidth(kSlot) == 0 && fullHeight(kSlot) == 0);
            continue;
        }
        const int w = fullWidth(kSlot), h = fullHeight(kSlot);
        FUZZ_CHECK(w > 0 && h > 0 && w <= 8192 && h <= 8192);
        FUZZ_CHECK(width(kSlot) == w && height(kSlot) == h);
        // Drawing and the pixel-exact hit test read every row of the picture.
        drawTransparent(kSlot, -w / 2, -h / 2);
        drawTranslucent(kSlot, 10, 10, 128);
        // The pixel-exact hit test walks every row of the overlap.
        collidePixels(kSlot, 0, 0, kSlot, w / 3, h / 3);
    }
    freeSprite(kSlot);
    return 0;
}
