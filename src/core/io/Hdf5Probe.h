#pragma once

#include <QString>

struct Hdf5Scan;

// The HDF5 library can crash on a damaged file while it reads the file's
// structure (found by fuzzing: a broken link table makes it free memory it
// never had), or loop for ever (a damaged global heap). Before the program
// first lists or checks a file in its own process, the same listing or check
// runs in a helper process (ProbeServer): when the helper crashes or does not
// finish in a minute, the file is refused with a message instead of taking
// the program, and its unsaved work, down.
namespace Hdf5Probe {

// Makes the helper now, while the process is small (at start-up): a copy
// made later, of a process holding image stacks, costs more.
void prepare();

// Whether listing `file` (Hdf5Catalog::list) or checking `scan`
// (Hdf5ScanCheck::check) came through in the helper: once per file, scan
// and state of the file (size, time of change). False, with a message naming
// the file, when the helper crashed or did not answer in time; true when it
// came through, or could not be made (the caller then reads as without it).
// The time the helper may take (a minute; shorter in tests).
void setTimeLimit(int ms);

bool listSurvives(const QString& file, QString* error);
bool checkSurvives(const Hdf5Scan& scan, QString* error);

}
