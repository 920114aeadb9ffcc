// Feeds arbitrary bytes to the energy-map reader as a file: read with the
// size taken from the file and with a fixed image size, at the file's edge
// energy and at another one; a map that is read is applied to a result map.

#include "FuzzInputFile.h"
#include "grid/Analyzed2DRes.h"
#include "processing/EnergyMapFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = writeFuzzInput("input.emp", data, size);
    if (file.isEmpty())
        return 0;
    double sink = 0.0;
    const struct {
        int width, height;
        double edge;
    } tries[] = {{-1, -1, 0.0}, {-1, -1, 7112.0}, {8, 8, 0.0}, {16, 4, 8979.0}};
    for (const auto& t : tries) {
        int width = t.width;
        int height = t.height;
        EnergyMapFile::Content content;
        if (!EnergyMapFile::read(file, &width, &height, t.edge, &content))
            continue;
        // What was read is consistent with what it claims.
        if (qint64(content.shifts.size()) != qint64(content.header.width) * content.header.height)
            __builtin_trap();
        Analyzed2DRes map;
        EnergyMapFile::apply(content, &map);
        for (int y = 0; y < map.height(); y += 7)
            for (int x = 0; x < map.width(); x += 7)
                sink += map.value(x, y);
        map.genImg();
    }
    volatile double keep = sink;
    (void)keep;
    return 0;
}
