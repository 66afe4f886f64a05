// art-rasterise: turns our SVG drawings into the exact picture files the game
// loads, and lays every finished picture out on one contact sheet.
//
//   art-rasterise picture <source.svg> <x> <y> <w> <h> <kind> <output>
//       Renders the w x h region of the drawing whose top-left corner is
//       (x, y) and writes it as <kind>:
//         key    24-bit BMP, magenta (FF00FF) wherever the drawing is clear
//         alpha  32-bit BMP that keeps the drawing's own alpha channel
//         png    32-bit PNG with alpha
//         jpg    baseline JPEG, no transparency
//   art-rasterise sheet <list> <output.png>
//       <list> holds one "slots|path|kind" line per picture; the sheet shows
//       each of them labelled, on a checkerboard so transparency shows.
//
// One drawing may hold a whole family of pictures side by side (all smileys
// in one file share their face); the region picks one of them out.

#include <cairo.h>
#include <librsvg/rsvg.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace {

// Straight (not premultiplied) 8-bit RGBA, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* at(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

int parseInt(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < -100000 || value > 100000) {
        fail(std::string("not a whole number: ") + text);
    }
    return static_cast<int>(value);
}

// ---- rendering -----------------------------------------------------------

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Image fromCairo(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    Image image;
    image.width = cairo_image_surface_get_width(surface);
    image.height = cairo_image_surface_get_height(surface);
    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < image.height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = row[x];  // premultiplied ARGB in native order
            const unsigned a = p >> 24;
            std::uint8_t* out = image.at(x, y);
            out[3] = static_cast<std::uint8_t>(a);
            for (int c = 0; c < 3; ++c) {
                const unsigned v = (p >> (16 - 8 * c)) & 0xFF;
                out[c] =
                    a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (v * 255 + a / 2) / a));
            }
        }
    }
    return image;
}

Image renderRegion(const std::string& svgPath, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0 || w > 8192 || h > 8192) fail("absurd picture size");
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_file(svgPath.c_str(), &error);
    if (!handle) {
        const std::string message = error ? error->message : "unknown error";
        if (error) g_error_free(error);
        fail("cannot read " + svgPath + ": " + message);
    }
    gdouble docWidth = 0, docHeight = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &docWidth, &docHeight)) {
        g_object_unref(handle);
        fail(svgPath + " has no width and height in pixels");
    }
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    Context cr(cairo_create(surface.get()));
    // The drawing keeps its own scale; moving the viewport cuts out the region.
    const RsvgRectangle viewport{-static_cast<double>(x), -static_cast<double>(y), docWidth,
                                 docHeight};
    const gboolean ok = rsvg_handle_render_document(handle, cr.get(), &viewport, &error);
    g_object_unref(handle);
    if (!ok) {
        const std::string message = error ? error->message : "unknown error";
        if (error) g_error_free(error);
        fail("cannot render " + svgPath + ": " + message);
    }
    return fromCairo(surface.get());
}

// ---- writers -------------------------------------------------------------

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // Write beside the target and rename, so an interrupted build never leaves
    // a half-written picture that looks up to date.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) fail("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) fail("cannot rename " + temp);
}

// Where a drawing is clear the game sees magenta, its colour key. A key can
// only be fully on or off, so edge pixels are decided by a threshold, and the
// half-covered ones that stay are laid over a dark outline colour: laid over
// magenta they would leave a pink fringe around every shape.
constexpr unsigned kKeyThreshold = 128;
constexpr std::uint8_t kEdgeMatte[3] = {0x2a, 0x22, 0x30};

void writeKeyedBmp(const Image& image, const std::string& path) {
    const int rowBytes = (image.width * 3 + 3) & ~3;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes) * image.height;
    std::vector<std::uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);  // BITMAPINFOHEADER
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));  // positive: bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // BI_RGB
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            std::uint8_t rgb[3] = {0xFF, 0x00, 0xFF};
            if (p[3] >= kKeyThreshold) {
                for (int c = 0; c < 3; ++c) {
                    rgb[c] = static_cast<std::uint8_t>(
                        (p[c] * p[3] + kEdgeMatte[c] * (255 - p[3]) + 127) / 255);
                }
                // A drawn pixel that happens to be exactly magenta would vanish.
                if (rgb[0] == 0xFF && rgb[1] == 0x00 && rgb[2] == 0xFF) rgb[2] = 0xFE;
            }
            out.push_back(rgb[2]);
            out.push_back(rgb[1]);
            out.push_back(rgb[0]);
        }
        for (int pad = image.width * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    writeBytes(path, out);
}

// 32-bit BMP with a BITMAPV4HEADER whose alpha mask tells readers (SDL among
// them) that the fourth byte is alpha and not padding.
void writeAlphaBmp(const Image& image, const std::string& path) {
    const std::uint32_t headerBytes = 14 + 108;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(image.width) * image.height * 4;
    std::vector<std::uint8_t> out;
    out.reserve(headerBytes + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, headerBytes + pixelBytes);
    put32(out, 0);
    put32(out, headerBytes);
    put32(out, 108);
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));
    put16(out, 1);
    put16(out, 32);
    put32(out, 3);  // BI_BITFIELDS
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0x00FF0000);                      // red
    put32(out, 0x0000FF00);                      // green
    put32(out, 0x000000FF);                      // blue
    put32(out, 0xFF000000);                      // alpha
    put32(out, 0x73524742);                      // 'sRGB'
    for (int i = 0; i < 12; ++i) put32(out, 0);  // endpoints and gamma, unused for sRGB
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    }
    writeBytes(path, out);
}

void writePng(const Image& image, const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    const std::string temp = path + ".part";
    if (!png_image_write_to_file(&png, temp.c_str(), 0, image.rgba.data(), 0, nullptr)) {
        fail("cannot write " + path + ": " + png.message);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) fail("cannot rename " + temp);
}

void writeJpeg(const Image& image, const std::string& path) {
    const std::string temp = path + ".part";
    FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) fail("cannot write " + temp);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);  // libjpeg's default handler exits on error
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);  // baseline, no progressive scans
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < image.width; ++x) {
            // A JPEG has no transparency: clear parts of the drawing become black.
            const std::uint8_t* p = image.at(x, y);
            for (int c = 0; c < 3; ++c)
                row[static_cast<std::size_t>(x) * 3 + c] =
                    static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(file) != 0) fail("cannot write " + temp);
    if (std::rename(temp.c_str(), path.c_str()) != 0) fail("cannot rename " + temp);
}

// ---- readers for the contact sheet ---------------------------------------
// They read back exactly what the writers above produce, so the sheet shows
// the files as the game gets them and not the drawings.

std::uint32_t get32(const std::string& b, std::size_t at) {
    if (at + 4 > b.size()) fail("truncated BMP");
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

Image readBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') fail(path + " is no BMP");
    const std::uint32_t offset = get32(b, 10);
    Image image;
    image.width = static_cast<int>(get32(b, 18));
    const auto rawHeight = static_cast<std::int32_t>(get32(b, 22));
    image.height = rawHeight < 0 ? -rawHeight : rawHeight;
    const int bits = static_cast<int>(get32(b, 28) & 0xFFFF);
    if (image.width <= 0 || image.width > 8192 || image.height <= 0 || image.height > 8192)
        fail(path + ": bad size");
    if (bits != 24 && bits != 32) fail(path + ": only 24- and 32-bit BMPs are ours");
    const std::size_t rowBytes =
        bits == 24 ? (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3}
                   : static_cast<std::size_t>(image.width) * 4;
    if (offset + rowBytes * image.height > b.size()) fail(path + ": truncated pixels");
    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y) {
        const int fileRow = rawHeight < 0 ? y : image.height - 1 - y;
        const char* row = b.data() + offset + rowBytes * fileRow;
        for (int x = 0; x < image.width; ++x) {
            const auto* p = reinterpret_cast<const std::uint8_t*>(row + x * (bits / 8));
            std::uint8_t* out = image.at(x, y);
            out[0] = p[2];
            out[1] = p[1];
            out[2] = p[0];
            if (bits == 32) {
                out[3] = p[3];
            } else {
                const bool key = p[2] == 0xFF && p[1] == 0x00 && p[0] == 0xFF;
                out[3] = key ? 0 : 255;
            }
        }
    }
    return image;
}

Image readPng(const std::string& path) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) fail(path + ": " + png.message);
    png.format = PNG_FORMAT_RGBA;
    Image image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    if (image.width > 8192 || image.height > 8192) {
        png_image_free(&png);
        fail(path + ": bad size");
    }
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr))
        fail(path + ": " + png.message);
    return image;
}

Image readJpeg(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) fail("cannot open " + path);
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    Image image;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgba.resize(static_cast<std::size_t>(image.width) * image.height * 4);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* out = image.at(x, y);
            for (int c = 0; c < 3; ++c) out[c] = row[static_cast<std::size_t>(x) * 3 + c];
            out[3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return image;
}

Image readPicture(const std::string& path, const std::string& kind) {
    if (kind == "png") return readPng(path);
    if (kind == "jpg") return readJpeg(path);
    return readBmp(path);
}

// ---- contact sheet -------------------------------------------------------

Surface toCairo(const Image& image) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height));
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, y);
            const unsigned a = p[3];
            const auto pre = [a](unsigned v) { return (v * a + 127) / 255; };
            row[x] = a << 24 | pre(p[0]) << 16 | pre(p[1]) << 8 | pre(p[2]);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

struct SheetEntry {
    std::string slots, path, kind, name;
    Image image;
};

void writeSheet(const std::string& listPath, const std::string& outPath) {
    std::ifstream list(listPath);
    if (!list) fail("cannot read " + listPath);
    std::vector<SheetEntry> entries;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty()) continue;
        const auto a = line.find('|');
        const auto b = line.find('|', a + 1);
        if (a == std::string::npos || b == std::string::npos)
            fail("bad line in " + listPath + ": " + line);
        SheetEntry e;
        e.slots = line.substr(0, a);
        e.path = line.substr(a + 1, b - a - 1);
        e.kind = line.substr(b + 1);
        e.name = e.path.substr(e.path.find_last_of('/') + 1);
        e.image = readPicture(e.path, e.kind);
        entries.push_back(std::move(e));
    }

    // Small pictures at twice their size so their pixels can be judged, big
    // ones shrunk to fit a cell; labels underneath.
    constexpr int kColumns = 8, kCell = 232, kPicture = 212, kLabel = 34;
    const int rows = (static_cast<int>(entries.size()) + kColumns - 1) / kColumns;
    const int sheetWidth = kColumns * kCell, sheetHeight = rows * (kCell + kLabel) + 10;
    Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sheetWidth, sheetHeight));
    Context cr(cairo_create(sheet.get()));
    cairo_set_source_rgb(cr.get(), 0.93, 0.93, 0.95);
    cairo_paint(cr.get());
    cairo_select_font_face(cr.get(), "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr.get(), 12);

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SheetEntry& e = entries[i];
        const int cellX = static_cast<int>(i % kColumns) * kCell + 10;
        const int cellY = static_cast<int>(i / kColumns) * (kCell + kLabel) + 10;
        double scale = std::min(static_cast<double>(kPicture) / e.image.width,
                                static_cast<double>(kPicture) / e.image.height);
        if (scale >= 2)
            scale = 2;
        else if (scale >= 1)
            scale = 1;
        const double w = e.image.width * scale, h = e.image.height * scale;
        const double px = cellX + (kPicture - w) / 2, py = cellY + (kPicture - h) / 2;
        // Checkerboard behind the picture only, so its true extent shows too.
        cairo_save(cr.get());
        cairo_rectangle(cr.get(), px, py, w, h);
        cairo_clip(cr.get());
        for (int cy = 0; cy * 8 < h + 8; ++cy) {
            for (int cx = 0; cx * 8 < w + 8; ++cx) {
                const double shade = (cx + cy) % 2 ? 0.62 : 0.82;
                cairo_set_source_rgb(cr.get(), shade, shade, shade);
                cairo_rectangle(cr.get(), px + cx * 8, py + cy * 8, 8, 8);
                cairo_fill(cr.get());
            }
        }
        Surface picture = toCairo(e.image);
        cairo_translate(cr.get(), px, py);
        cairo_scale(cr.get(), scale, scale);
        cairo_set_source_surface(cr.get(), picture.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr.get()),
                                 scale >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_paint(cr.get());
        cairo_restore(cr.get());

        cairo_set_source_rgb(cr.get(), 0.1, 0.1, 0.15);
        cairo_move_to(cr.get(), cellX, cellY + kPicture + 14);
        cairo_show_text(cr.get(), (e.slots + "  " + e.name).c_str());
        cairo_move_to(cr.get(), cellX, cellY + kPicture + 28);
        const std::string info =
            std::to_string(e.image.width) + " x " + std::to_string(e.image.height) + "  " + e.kind;
        cairo_set_source_rgb(cr.get(), 0.35, 0.35, 0.4);
        cairo_show_text(cr.get(), info.c_str());
    }
    writePng(fromCairo(sheet.get()), outPath);
}

int run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "picture" && argc == 9) {
        const Image image = renderRegion(argv[2], parseInt(argv[3]), parseInt(argv[4]),
                                         parseInt(argv[5]), parseInt(argv[6]));
        const std::string kind = argv[7], out = argv[8];
        if (kind == "key")
            writeKeyedBmp(image, out);
        else if (kind == "alpha")
            writeAlphaBmp(image, out);
        else if (kind == "png")
            writePng(image, out);
        else if (kind == "jpg")
            writeJpeg(image, out);
        else
            fail("unknown kind " + kind);
        return 0;
    }
    if (command == "sheet" && argc == 4) {
        writeSheet(argv[2], argv[3]);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: art-rasterise picture <svg> <x> <y> <w> <h> key|alpha|png|jpg <out>\n"
                 "       art-rasterise sheet <list> <out.png>\n");
    return 2;
}

}  // namespace

// Fontconfig (asked by pango for the fonts of the labels) keeps what it
// loaded until the process ends; a sanitizer build would report that as a
// leak of ours at exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "art-rasterise: %s\n", e.what());
        return 1;
    }
}
