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
        if (!qEnvironmentVariableIsEmpty("HDF5_PLUGIN_PATH"))
            return;
        QString dir = builtInPluginDir();
        // The library's own default folder when the build found none.
        if (dir.isEmpty() || !QFileInfo(dir).isDir())
            dir = QStringLiteral(H5_DEFAULT_PLUGINDIR);
        qputenv("HDF5_PLUGIN_PATH", QFile::encodeName(dir));
    });
    return qEnvironmentVariable("HDF5_PLUGIN_PATH");
}

}
