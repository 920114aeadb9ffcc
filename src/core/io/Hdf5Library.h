#pragma once

#include <QString>

// Start-up of the HDF5 library for this program: compressed datasets need
// the filter plugins (bitshuffle/LZ4, LZ4, BZip2), which HDF5 looks for in
// the folders of HDF5_PLUGIN_PATH. When the environment does not set it, the
// program sets it to the folder the build found the plugins in, before HDF5
// first looks for a plugin, so that a user needs to do nothing.
namespace Hdf5Library {

// Sets HDF5_PLUGIN_PATH when it is unset or empty, and lets the library
// keep the metadata cache of a closed file for the next open (once per
// process; safe to call from any thread and again). Returns the path in
// force.
QString ensurePluginPath();

// The plugin folder the build found (empty when it found none).
QString builtInPluginDir();

}
