#pragma once

#include <QColor>
#include <QImage>
#include <array>
#include <cstdint>

// The false-colour table (black - red - yellow - white, 767 entries), the
// 256-step grey table and the nine-colour palette for extra curves. Built once
// on first use and read-only afterwards, so any thread may read them.
namespace ColorTables {

struct Rgb {
    uint8_t r, g, b;
};

constexpr int colorCount = 767;
constexpr int greyCount = 256;

const std::array<Rgb, colorCount>& colorTable();
const std::array<uint8_t, greyCount>& greyTable();

// Palette colour i is entry i modulo 9.
QColor palette(int i);
constexpr int paletteSize = 9;

// Forces the tables to be built (start-up calls it before any window shows).
void init();

// Pixel-buffer layout of every generated image: bytes-per-line is
// width x bytes-per-pixel rounded up to a multiple of 4.
int bytesPerPixel(int format);   // 3 for RGB888, 1 for Grayscale8, 0 otherwise
int bytesPerLine(int width, int format);
bool isImageFormat(int format);

// A QImage over `buffer` (not copied; the caller keeps it alive), or a null
// image for a format other than RGB888 and Grayscale8.
QImage imageOver(uchar* buffer, int width, int height, int format);

}
