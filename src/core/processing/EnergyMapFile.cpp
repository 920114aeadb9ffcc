#include "processing/EnergyMapFile.h"

#include "base/Log.h"
#include "grid/Analyzed2DRes.h"
#include "processing/EdgeCalibration.h"

#include "base/AtomicFile.h"
#include "base/FileCheck.h"
#include "base/LogCategories.h"
#include "base/NumberText.h"
#include "base/TextInOrder.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cmath>
#include <new>

void registerEMPHeaderMetaType()
{
    qRegisterMetaType<EMPHeader>("EMPHeader");
}

namespace EnergyMapFile {

namespace {

constexpr int labelWidth = 26;
const char* const magic = "###Orvantelle::ORVT";
const char* const shortMagic = "###ORVT";
const char* const separator = "##-----------------";

// Where a failure happened, as the line after a fixed message.
void whereFailed(const QString& fname, qint64 line)
{
    qCDebug(lcProcessing).noquote() << QStringLiteral("  in %1, line %2").arg(fname).arg(line);
}

// A text stream read line by line with the number of the last line read.
struct Lines {
    QTextStream& in;
    qint64 number = 0;

    bool next(QString* line)
    {
        if (!in.readLineInto(line))
            return false;
        ++number;
        return true;
    }
};

// Which header field a line fills, by its label.
enum Field { Width, Height, HalfWidth, HalfHeight, X0, X1, Y0, Y1, Edge, Spacing, FieldCount };

const char* const fieldWords[FieldCount] = {
    "Width [pix]", "Height [pix]", "Bin Half Width [pix]", "Bin Half Height [pix]", "Area X0", "Area X1",
    "Area Y0", "Area Y1", "Std Edge Energy [eV]", "Spacing [nm]",
};

EMPHeader readHeaderLines(Lines& lines)
{
    EMPHeader h;
    QString line;
    if (!lines.next(&line))
        line.clear();
    if (!line.startsWith(QLatin1String(shortMagic)) && !line.startsWith(QLatin1String(magic))) {
        qCDebug(lcProcessing).noquote() << "Not a emp file.";
        return h;
    }
    static const QStringList labels = [] {
        QStringList l;
        for (const char* w : fieldWords)
            l << label(w);
        return l;
    }();
    bool found[FieldCount] = {};
    while (lines.next(&line)) {
        if (line.startsWith(QLatin1String(separator)))
            break;
        for (int f = 0; f < FieldCount; ++f) {
            if (!line.startsWith(labels[f]))
                continue;
            const QString item = line.mid(labelWidth).simplified().section(QLatin1Char(' '), 0, 0);
            qint32* ints[] = {&h.width, &h.height, &h.binHalfWidth, &h.binHalfHeight,
                              &h.areaX0, &h.areaX1, &h.areaY0, &h.areaY1};
            if (f == Edge)
                h.stdEdgeEnergy = item.toDouble();
            else if (f == Spacing)
                h.spacing = item.toDouble();
            else
                *ints[f] = item.toInt();
            found[f] = true;
            break;
        }
    }
    h.valid = found[Width] && found[Height] && found[Edge] && found[Spacing];
    return h;
}

} // namespace

QString label(const char* words)
{
    return QString::fromLatin1(words).leftJustified(labelWidth - 2, QLatin1Char(' ')) + QStringLiteral(": ");
}

QString completeName(const QString& fname)
{
    QString name = fname;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".emp");
    return QFileInfo(name).absoluteFilePath();
}

Source sourceOf(const Analyzed2DRes& map, double eStd, double spacing, const QString& stdFileName)
{
    Source s;
    s.map = map.data();
    s.mapWidth = map.width();
    s.mapHeight = map.height();
    s.grid = map.grid();
    s.eStd = eStd;
    s.spacing = spacing;
    s.stdFileName = stdFileName;
    return s;
}

namespace {

// The edge energy is usable when the crystal reflects it: a positive energy
// whose Bragg angle exists.
bool reachable(double eV, double d)
{
    return std::isfinite(eV) && eV > 0.0 && EdgeCalibration::braggAngle(eV, d) > 0.0;
}

QString sayWhy(QString* error, const QString& text)
{
    qCDebug(lcProcessing).noquote() << text;
    if (error)
        *error = text;
    return text;
}

} // namespace

bool write(const QString& fname, const Source& source, QString* error)
{
    if (fname.trimmed().isEmpty()) {
        sayWhy(error, QStringLiteral("Can not write an energy map: no file name given"));
        return false;
    }
    const QString name = completeName(fname);
    const int w = source.mapWidth, h = source.mapHeight;
    // A map that lost its content is never written: not an empty one, and
    // not one whose offsets would all come out of a missing edge energy.
    if (!source.map || w <= 0 || h <= 0) {
        sayWhy(error, QStringLiteral("Can not write %1: there is no energy-shift map "
                                     "(calibrate or load one first)").arg(name));
        return false;
    }
    if (!(std::isfinite(source.spacing) && source.spacing > 0.0)) {
        sayWhy(error, QStringLiteral("Can not write %1: crystal spacing %2 is not a length")
                          .arg(name).arg(source.spacing));
        return false;
    }
    if (!reachable(source.eStd, source.spacing)) {
        sayWhy(error, QStringLiteral("Can not write %1: no usable standard edge energy (%2 eV); load the "
                                     "standard, or the map at its edge energy")
                          .arg(name).arg(source.eStd));
        return false;
    }
    const double theta0 = EdgeCalibration::braggAngle(source.eStd, source.spacing);
    std::vector<double> offsets(std::size_t(qint64(w) * h));
    for (qint64 p = 0; p < qint64(w) * h; ++p) {
        const double shift = source.map[p];
        const double e = source.eStd - shift;
        if (!reachable(e, source.spacing)) {
            sayWhy(error, QStringLiteral("Can not write %1: the shift %2 eV at pixel (%3, %4) gives no Bragg "
                                         "angle at %5 eV")
                              .arg(name).arg(shift).arg(p % w).arg(p / w).arg(source.eStd));
            return false;
        }
        offsets[std::size_t(p)] = EdgeCalibration::braggAngle(e, source.spacing) - theta0;
    }

    AtomicWriter file(name);
    QString openError;
    if (!file.open(&openError)) {
        qCDebug(lcProcessing).noquote() << "Can not open" << name;
        sayWhy(error, openError);
        return false;
    }
    const ScanGrid& g = source.grid;
    QByteArray head;
    auto line = [&head](const char* words, const QString& value) {
        head += label(words).toUtf8() + value.toUtf8() + '\n';
    };
    head += QByteArray(magic) + '\n';
    line("Record Date", QDateTime::currentDateTime().toString(QStringLiteral("yy/MM/dd hh:mm:ss.zzz")));
    line("Std Edge Energy [eV]", QString::number(source.eStd, 'g', 6));
    line("Spacing [nm]", QString::number(source.spacing, 'g', 6));
    line("Width [pix]", QString::number(g.imageWidth));
    line("Height [pix]", QString::number(g.imageHeight));
    line("Bin Half Width [pix]", QString::number(g.halfWidth));
    line("Bin Half Height [pix]", QString::number(g.halfHeight));
    line("Area X0", QString::number(g.x0));
    line("Area X1", QString::number(g.x1));
    line("Area Y0", QString::number(g.y0));
    line("Area Y1", QString::number(g.y1));
    // One line of text: a line feed in the name would end the header line.
    QString stdName = source.stdFileName;
    stdName.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    line("Std File Name", stdName);
    line("Shift Map Height", QString::number(h));
    for (int r = 0; r < h; ++r)
        line("Shift Map Width", QStringLiteral("%1 %2").arg(r).arg(w));
    head += QByteArray(separator) + '\n';
    file.write(head);

    logWithTime(QStringLiteral("EMap Write Start : "));
    // Bands of about 256k values, their rows formatted on every processor.
    const int threads = textThreads();
    const int bandRows = qMax(1, (262144 + w - 1) / w);
    for (int first = 0; first < h && !file.failed(); first += bandRows) {
        const int rows = qMin(bandRows, h - first);
        file.write(textInOrder(rows, qMax(1, rows / (4 * threads)), threads,
                               [&](QByteArray& out, qint64 begin, qint64 end) {
                                   for (qint64 r = first + begin; r < first + end; ++r) {
                                       const double* row = offsets.data() + r * w;
                                       for (int i = 0; i < w; ++i) {
                                           NumberText::appendSixDigits(out, row[i]);
                                           out += ' ';
                                       }
                                       out += '\n';
                                   }
                               }));
    }
    logWithTime(QStringLiteral("EMap Write End   : "));
    QString commitError;
    if (!file.commit(&commitError)) {
        qCDebug(lcProcessing).noquote() << "Can not write" << name << ":" << commitError;
        if (error)
            *error = commitError;
        return false;
    }
    return true;
}

EMPHeader readHeader(QTextStream& in)
{
    Lines lines{in};
    return readHeaderLines(lines);
}

bool read(const QString& fname, int* width, int* height, double edgeEV, Content* out, QString* error)
{
    // Every refusal: the fixed debug line, then where, and the same as one
    // message for the caller.
    const auto refuse = [&](const QString& what, qint64 line) {
        qCDebug(lcProcessing).noquote() << what;
        whereFailed(fname, line);
        if (error)
            *error = line > 0 ? QStringLiteral("%1, line %2: %3").arg(fname).arg(line).arg(what)
                              : QStringLiteral("%1: %2").arg(fname, what);
        return false;
    };
    if (refuseNonRegularFile(fname)) {
        if (error)
            *error = QStringLiteral("%1: not a regular file (%2)")
                         .arg(fname, FileCheck::describe(FileCheck::kindOf(fname)));
        return false;
    }
    QFile file(fname);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcProcessing).noquote() << "Can not open" << fname;
        if (error)
            *error = QStringLiteral("%1: %2").arg(fname, file.errorString());
        return false;
    }
    QTextStream in(&file);
    Lines lines{in};
    const EMPHeader h = readHeaderLines(lines);
    if (!h.valid) {
        qCDebug(lcProcessing).noquote() << "Invalid Energy Map Data File : " + fname;
        return refuse(QStringLiteral("not an energy-map file (the magic line or the width, height, edge "
                                     "energy or spacing line is missing)"),
                      qMax<qint64>(1, lines.number));
    }
    const bool adopt = *width < 0 && *height < 0;
    if (!adopt && (h.width != *width || h.height != *height)) {
        return refuse(QStringLiteral("Loading Energy Map size : %1 x %2 : is not matched to the current "
                                     "image size : %3 x %4")
                          .arg(h.width).arg(h.height).arg(*width).arg(*height),
                      lines.number);
    }
    const qint64 pixels = qint64(h.width) * qint64(h.height);
    if (h.width <= 0 || h.height <= 0 || pixels > Analyzed2DRes::maxPixels)
        return refuse(QStringLiteral("Energy map size %1 x %2 is out of range").arg(h.width).arg(h.height),
                      lines.number);
    // With no image size to hold it to, the header's size must fit the file:
    // every value takes at least a digit and a separator. A few bytes must
    // not claim a map of millions of pixels.
    if (adopt && pixels > file.size() / 2) {
        return refuse(QStringLiteral("Energy map size %1 x %2 does not fit the file (%3 bytes)")
                          .arg(h.width).arg(h.height).arg(file.size()),
                      lines.number);
    }
    // The offsets are angles: they mean nothing without a crystal spacing
    // and an edge energy the crystal reflects.
    if (!(std::isfinite(h.spacing) && h.spacing > 0.0))
        return refuse(QStringLiteral("Crystal spacing %1 is not a length").arg(h.spacing), lines.number);
    if (!reachable(h.stdEdgeEnergy, h.spacing)) {
        return refuse(QStringLiteral("Standard edge energy %1 eV is not an energy the crystal (d = %2) reflects")
                          .arg(h.stdEdgeEnergy).arg(h.spacing),
                      lines.number);
    }
    const bool ownEdge = std::isfinite(edgeEV) && edgeEV > 0.0;
    const double e = ownEdge ? edgeEV : h.stdEdgeEnergy;
    const double d = h.spacing;
    if (!reachable(e, d)) {
        return refuse(QStringLiteral("Edge energy %1 eV is not an energy the crystal (d = %2) reflects")
                          .arg(e).arg(d),
                      lines.number);
    }
    const double theta0 = EdgeCalibration::braggAngle(e, d);

    logWithTime(QStringLiteral("Start Reading EMP file "));
    std::vector<double> shifts;
    try {
        shifts.assign(std::size_t(pixels), 0.0);
    } catch (const std::bad_alloc&) {
        return refuse(QStringLiteral("Not enough memory for an energy map of %1 x %2").arg(h.width).arg(h.height),
                      lines.number);
    }
    // One body line per map row, each with one value per column: a row of
    // another length would shift every later pixel.
    QString line;
    for (int r = 0; r < h.height; ++r) {
        if (!lines.next(&line)) {
            return refuse(QStringLiteral("The map ends after %1 of %2 rows").arg(r).arg(h.height),
                          lines.number + 1);
        }
        int pos = 0;
        int column = 0;
        const int n = line.size();
        for (;;) {
            while (pos < n && line.at(pos).isSpace())
                ++pos;
            if (pos >= n)
                break;
            const int start = pos;
            while (pos < n && !line.at(pos).isSpace())
                ++pos;
            if (column >= h.width)
                return refuse(QStringLiteral("Row %1 holds more than %2 values").arg(r).arg(h.width), lines.number);
            const QStringRef t = line.midRef(start, pos - start);
            bool ok = false;
            const double v = t.toDouble(&ok);
            if (!ok)
                return refuse(QStringLiteral("Not a number : \"%1\"").arg(t.toString().left(40)), lines.number);
            const double shift = e - EdgeCalibration::braggEnergy(v + theta0, d);
            if (!std::isfinite(shift) || !(v + theta0 > 0.0 && v + theta0 < 180.0)) {
                return refuse(QStringLiteral("The angle offset %1 in row %2, column %3 gives no energy")
                                  .arg(t.toString().left(40)).arg(r).arg(column),
                              lines.number);
            }
            shifts[std::size_t(qint64(r) * h.width + column)] = shift;
            ++column;
        }
        if (column != h.width) {
            return refuse(QStringLiteral("Row %1 holds %2 values instead of %3").arg(r).arg(column).arg(h.width),
                          lines.number);
        }
    }
    // Blank lines may follow the last row; values may not.
    while (lines.next(&line)) {
        if (!line.trimmed().isEmpty())
            return refuse(QStringLiteral("More than %1 rows in the map").arg(h.height), lines.number);
    }
    if (in.status() != QTextStream::Ok || file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("Error on reading the file: %1").arg(file.errorString()), lines.number);
    if (adopt) {
        *width = h.width;
        *height = h.height;
    }
    out->header = h;
    out->shifts = std::move(shifts);
    out->edgeEnergy = e;
    out->sizeAdopted = adopt;
    return true;
}

ScanGrid gridOf(const EMPHeader& h)
{
    ScanGrid g;
    g.setup(h.width, h.height, h.binHalfWidth, h.binHalfHeight,
            QRectF(h.areaX0, h.areaY0, double(h.areaX1) - h.areaX0, double(h.areaY1) - h.areaY0), -1, -1);
    return g;
}

void apply(const Content& content, Analyzed2DRes* map)
{
    const ScanGrid g = gridOf(content.header);
    map->setup(g);
    const int w = content.header.width, h = content.header.height;
    if (qint64(content.shifts.size()) != qint64(w) * h)
        return;
    for (int r = 0; r < h; ++r)
        for (int i = 0; i < w; ++i)
            map->setData(i, r, 0, 0, content.shifts[std::size_t(qint64(r) * w + i)]);
}

bool load(const QString& fname, int* width, int* height, double edgeEV, Analyzed2DRes* map, double* edgeUsed,
          QString* error)
{
    Content content;
    if (!read(fname, width, height, edgeEV, &content, error))
        return false;
    if (edgeUsed)
        *edgeUsed = content.edgeEnergy;
    apply(content, map);
    map->genImg();
    logWithTime(QStringLiteral("End Reading EMP file   "));
    return true;
}

} // namespace EnergyMapFile
