#include "display/ColorTables.h"

namespace ColorTables {

const std::array<Rgb, colorCount>& colorTable()
{
    static const std::array<Rgb, colorCount> table = [] {
        std::array<Rgb, colorCount> t{};
        for (int i = 0; i <= 255; ++i)
            t[i] = {uint8_t(i), 0, 0};
        for (int i = 1; i <= 255; ++i)
            t[255 + i] = {255, uint8_t(i), 0};
        for (int i = 1; i <= 255; ++i)
            t[510 + i] = {255, 255, uint8_t(i)};
        t[766] = {255, 255, 255};
        return t;
    }();
    return table;
}

const std::array<uint8_t, greyCount>& greyTable()
{
    static const std::array<uint8_t, greyCount> table = [] {
        std::array<uint8_t, greyCount> t{};
        for (int i = 0; i < greyCount; ++i)
            t[i] = uint8_t(i);
        return t;
    }();
    return table;
}

QColor palette(int i)
{
    static const QColor colors[paletteSize] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 200, 0}, {255, 0, 200},
        {200, 255, 0}, {200, 0, 255}, {0, 255, 200}, {0, 200, 255}};
    const int k = ((i % paletteSize) + paletteSize) % paletteSize;
    return colors[k];
}

void init()
{
    colorTable();
    greyTable();
}

int bytesPerPixel(int format)
{
    switch (format) {
    case QImage::Format_RGB888: return 3;
    case QImage::Format_Grayscale8: return 1;
    default: return 0;
    }
}

bool isImageFormat(int format)
{
    return bytesPerPixel(format) > 0;
}

int bytesPerLine(int width, int format)
{
    return (width * bytesPerPixel(format) + 3) / 4 * 4;
}

QImage imageOver(uchar* buffer, int width, int height, int format)
{
    if (!isImageFormat(format) || !buffer || width <= 0 || height <= 0)
        return QImage();
    return QImage(buffer, width, height, bytesPerLine(width, format), QImage::Format(format));
}

}
