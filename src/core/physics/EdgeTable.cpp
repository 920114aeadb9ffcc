#include "base/LogCategories.h"
#include "EdgeTable.h"

#include <QDebug>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// Longest line the reader keeps; the rest of a longer line is skipped. Real lines are
// about 150 characters.
constexpr qint64 MaxLineBytes = 4096;

// A field as a number; "=" and any other text, NaN and infinities read as 0.
double number(const QStringList &fields, int i)
{
    if (i >= fields.size())
        return 0.0;
    bool ok = false;
    const double v = fields.at(i).toDouble(&ok);
    return (ok && std::isfinite(v)) ? v : 0.0;
}

double clamped(const QStringList &fields, int i)
{
    return std::max(number(fields, i), 0.0);
}

// Next line of `f` without its line end, at most MaxLineBytes long.
QString readLine(QFile &f)
{
    QByteArray line = f.readLine(MaxLineBytes);
    if (line.endsWith('\n')) {
        line.chop(1);
    } else {
        // Cut short before its end: drop the rest of the line.
        while (!f.atEnd() && !f.readLine(MaxLineBytes).endsWith('\n')) {
        }
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

bool EdgeTable::load(const QString &path)
{
    m_count = 0;
    m_rows.fill(EdgeRow());
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qCDebug(lcPhysics).noquote() << "Cannot open [Victoreen1.txt]\n";
        return false;
    }
    while (!f.atEnd() && m_count < MaxRows)
        addLine(readLine(f));
    return true;
}

void EdgeTable::addLine(const QString &line)
{
    const QStringList fields = line.simplified().split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (fields.at(0).startsWith(QLatin1Char('#')))
        return;

    EdgeRow &r = m_rows[m_count];
    bool ok = false;
    r.z = fields.size() > 1 ? fields.at(1).toInt(&ok, 10) : 0;
    if (!ok)
        r.z = 0;
    // Column of the edge value, C and D of each slot. The wavelength columns 3, 7, 11
    // and 15 are not read; the M1 group has no energy column, its wavelength fills slot 4.
    static constexpr int EdgeCol[EdgeRow::Slots] = {2, 6, 10, 14, 18};
    static constexpr int CCol[EdgeRow::Slots] = {4, 8, 12, 16, 19};
    static constexpr int DCol[EdgeRow::Slots] = {5, 9, 13, 17, 20};
    for (int k = 0; k < EdgeRow::Slots; ++k) {
        // The K-edge energy keeps its sign; every other value is clamped at 0.
        r.edge[k] = k == 0 ? number(fields, EdgeCol[k]) : clamped(fields, EdgeCol[k]);
        r.c[k] = clamped(fields, CCol[k]);
        r.d[k] = clamped(fields, DCol[k]);
    }
    ++m_count;
}

const EdgeRow *EdgeTable::row(int i) const
{
    return (i >= 0 && i < m_count) ? &m_rows[i] : nullptr;
}

double EdgeTable::value(int z, int edge, Column field) const
{
    const EdgeRow *r = row(z);
    if (!r || edge < 0 || edge >= EdgeRow::Slots)
        return 0.0;
    return (r->*field)[edge];
}

double EdgeTable::edgeEnergy(int z, int edge) const
{
    return value(z, edge, &EdgeRow::edge);
}

double EdgeTable::c(int z, int edge) const
{
    return value(z, edge, &EdgeRow::c);
}

double EdgeTable::d(int z, int edge) const
{
    return value(z, edge, &EdgeRow::d);
}

int EdgeTable::edgeIndex(const QString &name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("L1") || n == QLatin1String("LI"))
        return LI;
    if (n == QLatin1String("L2") || n == QLatin1String("LII"))
        return LII;
    if (n == QLatin1String("L3") || n == QLatin1String("LIII"))
        return LIII;
    return K;
}

const EdgeTable &EdgeTable::global()
{
    static const EdgeTable table = [] {
        EdgeTable t;
        t.load();
        return t;
    }();
    return table;
}

void loadEdgeTable()
{
    EdgeTable::global();
}
