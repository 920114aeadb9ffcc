// Reads arbitrary bytes as a TXRM/XRM file: the check a load starts with,
// then every image and the reference image the check accepted, as the
// loader threads read them.

#include "FuzzInputFile.h"
#include "io/TiffData.h"
#include "io/TxrmScan.h"
#include "io/TxrmSource.h"

#include <QString>
#include <algorithm>

// When libgsf refuses a malformed compound file it keeps the directory
// entries it had parsed (a few hundred bytes a file, inside the library and
// glib, out of this program's reach).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:gsf_infile_msole_new\nleak:libgsf-1.so\nleak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = writeFuzzInput("input.txrm", data, size);
    if (file.isEmpty())
        return 0;
    TxrmPlan plan;
    QString error;
    if (!TxrmScan::check(file, &plan, &error))
        return 0;
    const TxrmSources sources = TxrmSources::of(plan);
    const auto never = [] { return false; };
    for (const ImageSourcePtr& source : {sources.images, sources.flat}) {
        if (!source)
            continue;
        // A few images are enough: the rest are read the same way.
        for (int i = 0; i < std::min(source->count(), 4); ++i) {
            std::unique_ptr<TiffData> image = source->read(i, i == 0, never);
            if (image && image->width() > 0 && image->height() > 0) {
                volatile double v = image->sample(0, 0) + image->sample(int(image->width()) - 1, int(image->height()) - 1);
                (void)v;
            }
        }
    }
    return 0;
}
