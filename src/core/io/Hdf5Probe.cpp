#include "io/Hdf5Probe.h"

#include "base/ProbeServer.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Scan.h"

#include <QDataStream>
#include <QDateTime>
#include <QFileInfo>
#include <QSet>
#include <mutex>

namespace Hdf5Probe {

namespace {

enum Kind : quint8 { List, Check };

// Time the helper may take over a file's structure. The library can also
// loop for ever on a damaged file, and the program must not follow it; a
// sound file's structure takes milliseconds even from a network disk.
int timeLimitMs = 60000;

// In the helper: the listing or check the request names, results dropped.
void handle(const QByteArray& request)
{
    QDataStream in(request);
    quint8 kind = 0;
    Hdf5Scan scan;
    qint32 unit = 0;
    in >> kind >> scan.file >> scan.images >> scan.flats >> scan.darks >> scan.energies >> unit;
    scan.unit = Hdf5Scan::Unit(unit);
    QString error;
    if (kind == List) {
        QVector<Hdf5Dataset> sets;
        Hdf5Catalog::listUnprobed(scan.file, &sets, &error);
    } else {
        Hdf5ScanPlan plan;
        Hdf5ScanCheck::checkUnprobed(scan, &plan, &error);
    }
}

ProbeServer& server()
{
    static ProbeServer probe(handle);
    return probe;
}

std::mutex probedLock;
QSet<QByteArray> probed;

bool survives(Kind kind, const Hdf5Scan& scan, QString* error)
{
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        out << quint8(kind) << scan.file << scan.images << scan.flats << scan.darks << scan.energies
            << qint32(scan.unit);
    }
    const QFileInfo info(scan.file);
    const QByteArray key = request + QByteArray::number(info.size()) + '\n'
        + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    {
        const std::lock_guard<std::mutex> hold(probedLock);
        if (probed.contains(key))
            return true;
    }
    switch (server().run(request, timeLimitMs)) {
    case ProbeServer::Outcome::Crashed:
        *error = QStringLiteral("%1 is damaged: the HDF5 library fails while reading it").arg(scan.file);
        return false;
    case ProbeServer::Outcome::TimedOut:
        *error = QStringLiteral("%1 is damaged: the HDF5 library did not finish reading it in %2 s")
                     .arg(scan.file)
                     .arg(timeLimitMs / 1000);
        return false;
    case ProbeServer::Outcome::Survived:
    case ProbeServer::Outcome::Unavailable:
        break;
    }
    const std::lock_guard<std::mutex> hold(probedLock);
    probed.insert(key);
    return true;
}

}

void setTimeLimit(int ms)
{
    timeLimitMs = ms;
}

void prepare()
{
    server().start();
}

bool listSurvives(const QString& file, QString* error)
{
    Hdf5Scan scan;
    scan.file = file;
    return survives(List, scan, error);
}

bool checkSurvives(const Hdf5Scan& scan, QString* error)
{
    return survives(Check, scan, error);
}

}
