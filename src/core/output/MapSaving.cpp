#include "output/MapSaving.h"

#include "display/ViewWindow.h"
#include "grid/Analyzed2DRes.h"
#include "output/GridAxes.h"
#include "output/TextMapWriter.h"
#include "output/TiffWriter.h"

#include <QDir>
#include <vector>

namespace MapSaving {

QImage cropToView(const QImage& picture, const ViewWindow& view)
{
    const QRect r = view.pixelRect(picture.width(), picture.height());
    if (r.isEmpty())
        return QImage();
    return picture.copy(r);
}

bool saveMapAsTiff(Analyzed2DRes& map, const QString& path, const SaveDataSettings& settings,
                   QString* error)
{
    const QVector<quint16> pixels = map.tiffDataForSave(settings.tiffFixedScale, settings.tiffScaleMin,
                                                        settings.tiffScaleMax, settings.tiffAsAnalyzed);
    int width = map.width();
    int height = map.height();
    if (settings.tiffAsAnalyzed) {
        const GridAxes axes = GridAxes::of(map.grid());
        width = axes.columns;
        height = axes.rows;
    }
    if (pixels.isEmpty() || qint64(width) * height > pixels.size()) {
        if (error)
            *error = QStringLiteral("Can't write %1: the map has no values").arg(path);
        return false;
    }
    return writeTiff16(path, pixels.constData(), width, height, error);
}

bool saveMapAsText(const Analyzed2DRes& map, const QString& path, const SaveDataSettings& settings,
                   QString* error)
{
    if (!map.data()) {
        if (error)
            *error = QStringLiteral("Can't write %1: the map has no values").arg(path);
        return false;
    }
    return TextMapWriter::write(path, map.data(), map.width(), map.height(), map.grid(),
                                settings.textFormat(), error);
}

bool saveFlatDark(int width, int height, const QString& directory, QString* error)
{
    if (width <= 0 || height <= 0) {
        if (error)
            *error = QStringLiteral("Can't write flat.dat and dark.dat: no image size");
        return false;
    }
    const QDir dir(directory);
    const std::size_t count = std::size_t(width) * std::size_t(height);
    const std::vector<quint16> ones(count, 1);
    if (!writeTiff16(dir.filePath(QStringLiteral("flat.dat")), ones.data(), width, height, error))
        return false;
    const std::vector<quint16> zeros(count, 0);
    return writeTiff16(dir.filePath(QStringLiteral("dark.dat")), zeros.data(), width, height, error);
}

}
