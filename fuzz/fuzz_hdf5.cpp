// Reads arbitrary bytes as an HDF5 scan file: the listing the "HDF5..." dialog
// shows, the known layouts, the check a load starts with, then the first
// images, flats and darks the check accepted, as the loader threads read them.

#include "FuzzInputFile.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Scan.h"
#include "io/Hdf5StackSource.h"
#include "io/TiffData.h"

#include <QString>
#include <QVector>
#include <algorithm>

// The HDF5 library keeps some of what it had read of a file it refuses as
// damaged (inside the library, out of this program's reach).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libhdf5_serial.so\nleak:libhdf5.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = writeFuzzInput("input.h5", data, size);
    if (file.isEmpty() || !Hdf5Catalog::isHdf5(file))
        return 0;
    QVector<Hdf5Dataset> sets;
    QString error;
    if (!Hdf5Catalog::list(file, &sets, &error))
        return 0;
    Hdf5Scan scan;
    if (!Hdf5Layouts::recognise(sets, &scan))
        return 0;
    scan.file = file;
    Hdf5ScanPlan plan;
    if (!Hdf5ScanCheck::check(scan, &plan, &error))
        return 0;
    const Hdf5ScanSources sources = Hdf5ScanSources::of(scan, plan);
    const auto never = [] { return false; };
    for (const ImageSourcePtr& source : {sources.images, sources.flats, sources.darks}) {
        if (!source)
            continue;
        for (int i = 0; i < std::min(source->count(), 3); ++i) {
            std::unique_ptr<TiffData> image = source->read(i, i == 0, never);
            if (image && image->width() > 0 && image->height() > 0) {
                volatile double v = image->sample(0, 0);
                (void)v;
            }
        }
    }
    return 0;
}
