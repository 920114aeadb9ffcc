#include "processing/EnergyMapFile.h"

#include "base/Log.h"
#include "grid/Analyzed2DRes.h"
#include "processing/EdgeCalibration.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include "base/FileCheck.h"
#include "base/LogCategories.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

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

// Blank-separated numbers of the body, line after line.
class Numbers
{
public:
    explicit Numbers(Lines& lines) : m_lines(lines) {}

    enum Result { Value, End, Bad };
    Result next(double* v, QString* token)
    {
        for (;;) {
            while (m_pos < m_line.size() && m_line.at(m_pos).isSpace())
                ++m_pos;
            if (m_pos < m_line.size())
                break;
            if (!m_lines.next(&m_line))
                return End;
            m_pos = 0;
        }
        const int start = m_pos;
        while (m_pos < m_line.size() && !m_line.at(m_pos).isSpace())
            ++m_pos;
        const QStringRef t = m_line.midRef(start, m_pos - start);
        bool ok = false;
        *v = t.toDouble(&ok);
        if (ok)
            return Value;
        *token = t.toString();
        return Bad;
    }

private:
    Lines& m_lines;
    QString m_line;
    int m_pos = 0;
};

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

bool write(const QString& fname, const Source& source)
{
    const QString name = completeName(fname);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(lcProcessing).noquote() << "Can not open" << name;
        return false;
    }
    const int w = qMax(0, source.mapWidth), h = qMax(0, source.mapHeight);
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
    line("Std File Name", source.stdFileName);
    line("Shift Map Height", QString::number(h));
    for (int r = 0; r < h; ++r)
        line("Shift Map Width", QStringLiteral("%1 %2").arg(r).arg(w));
    head += QByteArray(separator) + '\n';
    file.write(head);

    logWithTime(QStringLiteral("EMap Write Start : "));
    const double theta0 = EdgeCalibration::braggAngle(source.eStd, source.spacing);
    QByteArray row;
    for (int r = 0; r < h; ++r) {
        row.clear();
        for (int i = 0; i < w; ++i) {
            const double s = source.map ? source.map[qint64(r) * w + i] : 0.0;
            const double offset = EdgeCalibration::braggAngle(source.eStd - s, source.spacing) - theta0;
            row += QByteArray::number(offset, 'g', 6);
            row += ' ';
        }
        row += '\n';
        if (file.write(row) != row.size())
            break;
    }
    logWithTime(QStringLiteral("EMap Write End   : "));
    if (!file.commit()) {
        qCDebug(lcProcessing).noquote() << "Can not write" << name << ":" << file.errorString();
        return false;
    }
    return true;
}

EMPHeader readHeader(QTextStream& in)
{
    Lines lines{in};
    return readHeaderLines(lines);
}

bool read(const QString& fname, int* width, int* height, double edgeEV, Content* out)
{
    if (refuseNonRegularFile(fname))
        return false;
    QFile file(fname);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcProcessing).noquote() << "Can not open" << fname;
        return false;
    }
    QTextStream in(&file);
    Lines lines{in};
    const EMPHeader h = readHeaderLines(lines);
    if (!h.valid) {
        qCDebug(lcProcessing).noquote() << "Invalid Energy Map Data File : " + fname;
        whereFailed(fname, qMax<qint64>(1, lines.number));
        return false;
    }
    const bool adopt = *width < 0 && *height < 0;
    if (!adopt && (h.width != *width || h.height != *height)) {
        qCDebug(lcProcessing).noquote() << QStringLiteral("Loading Energy Map size : %1 x %2 : is not matched to the current "
                                             "image size : %3 x %4")
                                  .arg(h.width).arg(h.height).arg(*width).arg(*height);
        whereFailed(fname, lines.number);
        return false;
    }
    const qint64 pixels = qint64(h.width) * qint64(h.height);
    if (h.width <= 0 || h.height <= 0 || pixels > Analyzed2DRes::maxPixels) {
        qCDebug(lcProcessing).noquote() << QStringLiteral("Energy map size %1 x %2 is out of range").arg(h.width).arg(h.height);
        whereFailed(fname, lines.number);
        return false;
    }
    // With no image size to hold it to, the header's size must fit the file:
    // every value takes at least a digit and a separator. A few bytes must
    // not claim a map of millions of pixels.
    if (adopt && pixels > file.size() / 2) {
        qCDebug(lcProcessing).noquote() << QStringLiteral("Energy map size %1 x %2 does not fit the file (%3 bytes)")
                                  .arg(h.width).arg(h.height).arg(file.size());
        whereFailed(fname, lines.number);
        return false;
    }
    const double e = edgeEV > 0.0 ? edgeEV : h.stdEdgeEnergy;
    const double d = h.spacing;
    const double theta0 = EdgeCalibration::braggAngle(e, d);

    logWithTime(QStringLiteral("Start Reading EMP file "));
    std::vector<double> shifts(std::size_t(pixels), 0.0);
    Numbers numbers(lines);
    qint64 missing = 0;
    for (qint64 p = 0; p < pixels; ++p) {
        double v = 0.0;
        QString token;
        switch (numbers.next(&v, &token)) {
        case Numbers::Bad:
            qCDebug(lcProcessing).noquote() << QStringLiteral("Not a number : \"%1\"").arg(token);
            whereFailed(fname, lines.number);
            return false;
        case Numbers::End:
            qCDebug(lcProcessing).noquote() << "run out!";
            ++missing;
            v = 0.0;
            break;
        case Numbers::Value:
            break;
        }
        shifts[std::size_t(p)] = e - EdgeCalibration::braggEnergy(v + theta0, d);
    }
    if (missing > 0) {
        qCDebug(lcProcessing).noquote() << QStringLiteral("%1 of %2 values missing").arg(missing).arg(pixels);
        whereFailed(fname, lines.number + 1);
    }
    if (adopt) {
        *width = h.width;
        *height = h.height;
    }
    out->header = h;
    out->shifts = std::move(shifts);
    out->missing = missing;
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

bool load(const QString& fname, int* width, int* height, double edgeEV, Analyzed2DRes* map)
{
    Content content;
    if (!read(fname, width, height, edgeEV, &content))
        return false;
    apply(content, map);
    map->genImg();
    logWithTime(QStringLiteral("End Reading EMP file   "));
    return true;
}

} // namespace EnergyMapFile
