#include "batch/BatchPaths.h"

#include "batch/BatchKeywords.h"
#include "io/Hdf5Catalog.h"

#include <QDir>
#include <QFileInfo>

using namespace BatchKeywords;

namespace BatchPaths {

QList<int> pathArguments(int commandId, int* fromIndex)
{
    *fromIndex = -1;
    switch (commandId) {
    case LoadI1Files:
    case LoadI0Files:
        *fromIndex = 1; // after the mode word
        return {};
    case LoadI1FilesOfPattern:
    case LoadI0FilesOfPattern:
        return {1}; // the folder; the patterns are names within it
    case AnalyzerSetLCFStd:
        return {3};
    case LoadDark:
        // Image files; for an HDF5 file the second argument is a dataset
        // path inside it (see resolved()).
        *fromIndex = 0;
        return {};
    case EdgeMaps:
    case PcaRun:
        return {1}; // the base name of the saved maps
    case KMeansRun:
    case ClusterAsReference:
        return {2};
    case EngByRefI0:
    case EngByRefI1:
    case SaveImage:
    case SaveImageWNum:
    case SaveAllImages:
    case SaveData:
    case SaveDataAsTiff:
    case SaveSpectra:
    case CalibLoadStd:
    case CalibLoadMap:
    case CalibSaveMap:
    case LoadHdf5Scan:     // the file; the dataset paths are inside it
    case SaveAllMapsHdf5:
    case LoadTxrm:
        return {0};
    default:
        return {};
    }
}

QString resolve(const QString& folder, const QString& path)
{
    if (path.isEmpty() || folder.isEmpty() || QFileInfo(path).isAbsolute())
        return path;
    QString joined = folder;
    if (!joined.endsWith(QLatin1Char('/')))
        joined += QLatin1Char('/');
    return joined + path;
}

CmdLine resolved(const CmdLine& cmd, const QString& folder)
{
    const int id = cmd.isCommand() ? cmd.commandId() : cmd.extraCommandId();
    if (folder.isEmpty() || id == NoCommand || id == NoExtraCommand)
        return cmd;
    int from = -1;
    const QList<int> single = pathArguments(id, &from);
    CmdLine out = cmd;
    if (id == LoadDark && !out.args.isEmpty()) {
        out.args[0] = resolve(folder, out.args.at(0));
        if (Hdf5Catalog::isHdf5(out.args.at(0)))
            return out;
    }
    for (int i = 0; i < out.args.size(); ++i) {
        if (i == 0 && id == LoadDark)
            continue;
        if (single.contains(i) || (from >= 0 && i >= from))
            out.args[i] = resolve(folder, out.args.at(i));
    }
    return out;
}

}
