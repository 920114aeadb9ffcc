#include "io/Hdf5Library.h"

#include "io/Hdf5Handle.h"

#include <QFile>
#include <QFileInfo>
#include <mutex>

#ifndef ORV_HDF5_PLUGIN_DIR
#define ORV_HDF5_PLUGIN_DIR ""
#endif

namespace Hdf5Library {

QString builtInPluginDir()
{
    return QStringLiteral(ORV_HDF5_PLUGIN_DIR);
}

QString ensurePluginPath()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (qEnvironmentVariableIsEmpty("HDF5_PLUGIN_PATH")) {
            QString dir = builtInPluginDir();
            // The library's own default folder when the build found none.
            if (dir.isEmpty() || !QFileInfo(dir).isDir())
                dir = QStringLiteral(H5_DEFAULT_PLUGINDIR);
            qputenv("HDF5_PLUGIN_PATH", QFile::encodeName(dir));
        }
        // After the path: the library reads it when it starts. Every open
        // file has a metadata cache of about 0.5 MB, which the library's own
        // free lists let go of at the close by default: each open then
        // writes fresh pages, 1-2 ms on a virtual machine. Kept (lists of up
        // to 1 MB, 2 MB in all), the next open takes it back. The lists of
        // arrays and blocks keep the library's defaults.
        H5set_free_list_limits(2 << 20, 1 << 20, 4 << 20, 256 << 10, 16 << 20, 1 << 20);
    });
    return qEnvironmentVariable("HDF5_PLUGIN_PATH");
}

}
