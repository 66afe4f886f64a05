// Screenshots: the canvas as the frame was shown, 1366 x 768, as a PNG in
// "Bildschirmfotos/" of the game folder, named by date and time.
#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "media/media_internal.h"

namespace media_internal {
namespace {

const char* const kFolder = "Bildschirmfotos";

// "Bildschirmfotos/Pomvex 2026-12-08 16-30-05.png", with " (2)" and on for a
// second one in the same second.
std::string freeName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    const std::string base = std::string(kFolder) + "/Pomvex " + stamp;
    std::string name = base + ".png";
    for (int n = 2; fileExists(name); ++n) name = base + " (" + std::to_string(n) + ").png";
    return name;
}

}  // namespace

std::string saveScreenshot() {
    const std::uint32_t* pixels = canvasBits();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight; ++i) {
        rgb[i * 3] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kCanvasWidth;
    image.height = kCanvasHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return "";
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr))
        return "";
    bytes.resize(size);
    ::mkdir(kFolder, 0755);
    const std::string name = freeName();
    if (const WriteResult written = writeFileSafely(name, bytes); !written) {
        std::fprintf(stderr, "pomvex: %s could not be written: %s\n", name.c_str(),
                     written.reason.c_str());
        return "";
    }
    return name;
}

}  // namespace media_internal
