#include "physics/SpectrumFiles.h"

#include "physics/PhysConst.h"
#include "physics/Spectrum.h"
#include "physics/XafsSpectrum.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <cmath>

namespace SpectrumFiles {

namespace {

QStringList fieldsOf(const QString& line)
{
    return line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A field read as a decimal number; text that is not one, an out-of-range
// value included, reads as 0.
double number(const QString& field)
{
    bool ok = false;
    const double v = field.toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace

bool is9809(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&f);
    return in.readLine().simplified().startsWith(QLatin1String("9809"));
}

bool readPlainText(const QString& path, Spectrum& s)
{
    s.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&f);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList items = fieldsOf(line);
        if (items.size() < 2 || items.at(0).startsWith(QLatin1Char('#')))
            continue;
        s.add(number(items.at(0)), number(items.at(1)));
    }
    return s.count() > 0;
}

bool read9809(const QString& path, Spectrum& s)
{
    s.clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&f);
    double d = default9809D;
    bool header = true;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList items = fieldsOf(line);
        if (header) {
            for (int i = 0; i + 1 < items.size(); ++i) {
                if (items.at(i) == QLatin1String("D="))
                    d = number(items.at(i + 1));
            }
            if (!items.isEmpty() && items.at(0) == QLatin1String("Offset"))
                header = false;
            continue;
        }
        if (items.size() <= 4)
            continue;
        const double theta = number(items.at(1));
        const double i0 = number(items.at(3));
        const double i1 = number(items.at(4));
        const double e = PhysConst::hc / (2.0 * d * std::sin(theta * PhysConst::anglePi / 180.0));
        const double mu = (i0 * i1 > 0.0) ? std::log(i0 / i1) : 1.0;
        s.add(e, mu);
    }
    return true;
}

bool writeXafsSpectrum(const QString& path, const XafsSpectrum& s, bool energyCorrected)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << xafsSpectrumHeader << "\n";
    out << "# x  double-normalized-pre-base y pre post\n";
    const double shift = energyCorrected ? s.dE() : 0.0;
    const Spectrum& dnpb = s.doubleNormalizedPreBase();
    for (int i = 0, n = s.count(); i < n; ++i) {
        out << s.E(i) - shift << '\t' << dnpb.y(i) << '\t' << s.y(i) << '\t' << s.preEdge().y(i) << '\t'
            << s.postEdge().y(i) << "\n";
    }
    out.flush();
    return f.error() == QFileDevice::NoError;
}

} // namespace SpectrumFiles
