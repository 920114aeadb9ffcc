#include "physics/SpectrumFiles.h"

#include "base/FileCheck.h"
#include "base/LogCategories.h"
#include "base/NaturalLog.h"
#include "base/TextLines.h"
#include "physics/PhysConst.h"
#include "physics/Spectrum.h"
#include "physics/XafsSpectrum.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <QTextCodec>
#include <QTextStream>
#include <cmath>

namespace SpectrumFiles {

namespace {

using TextLines::Fields;
using TextLines::Line;
using TextLines::LineReader;

enum class Format { Detect, Plain, Scan9809 };

bool is9809Line(const Line& line, QTextCodec* codec)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(line.data, line.size, &state).simplified().startsWith(QLatin1String("9809"));
}

// A field read as a decimal number; text that is not one, an out-of-range
// value included, reads as 0.
double number(const QString& field)
{
    bool ok = false;
    const double v = field.toDouble(&ok);
    return ok ? v : 0.0;
}

// Adds the points that read as finite numbers and counts the others, which
// would turn every normalised value into NaN.
struct PointSink {
    Spectrum& s;
    qint64 skipped = 0;

    void add(double x, double y)
    {
        if (std::isfinite(x) && std::isfinite(y))
            s.add(x, y);
        else
            ++skipped;
    }
};

void say(const QString& text, const QString& path)
{
    qCDebug(lcPhysics).noquote() << text + QStringLiteral(" : ") + path;
}

bool readPlainLines(LineReader& in, const Line* first, PointSink& sink)
{
    Fields fields;
    Line line;
    bool have = first != nullptr;
    if (have)
        line = *first;
    while (have || in.next(line)) {
        have = false;
        fields.split(line, in.codec());
        if (fields.count() < 2 || fields.startsWith(0, '#'))
            continue;
        sink.add(fields.number(0), fields.number(1));
    }
    return true;
}

// The "9809" header ends at a line whose first field is "Offset"; a "D=" field
// before it sets the lattice spacing. False (with its message) when the file
// has no such line or the spacing is no usable length.
bool read9809Lines(LineReader& in, const Line* first, PointSink& sink, const QString& path)
{
    double d = default9809D;
    QString dText = QString::number(default9809D);
    bool header = true;
    Fields fields;
    Line line;
    bool have = first != nullptr;
    if (have)
        line = *first;
    while (have || in.next(line)) {
        have = false;
        if (header) {
            // Few lines: decoded in full, as they are.
            const QStringList items = TextLines::decodedFields(line, in.codec());
            for (int i = 0; i + 1 < items.size(); ++i) {
                if (items.at(i) == QLatin1String("D=")) {
                    dText = items.at(i + 1);
                    d = number(dText);
                }
            }
            if (!items.isEmpty() && items.at(0) == QLatin1String("Offset")) {
                header = false;
                if (!(d > 0.0 && std::isfinite(d))) {
                    say(QStringLiteral("Unusable lattice spacing D= %1 in 9809 file").arg(dText), path);
                    return false;
                }
            }
            continue;
        }
        fields.split(line, in.codec());
        if (fields.count() <= 4)
            continue;
        const double theta = fields.number(1);
        const double i0 = fields.number(3);
        const double i1 = fields.number(4);
        const double e = PhysConst::hc / (2.0 * d * std::sin(theta * PhysConst::anglePi / 180.0));
        const double mu = (i0 * i1 > 0.0) ? NaturalLog::of(i0 / i1) : 1.0;
        sink.add(e, mu);
    }
    if (header) {
        say(QStringLiteral("No Offset line in 9809 file"), path);
        return false;
    }
    return true;
}

// Every spectrum read goes through here: the file is checked, opened once,
// its format detected from the first line when asked, and read.
bool readSpectrumFile(const QString& path, Spectrum& s, Format format)
{
    s.clear();
    if (refuseNonRegularFile(path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("Can not open spectrum file"), path);
        return false;
    }
    if (f.size() == 0) {
        say(QStringLiteral("Empty spectrum file"), path);
        return false;
    }
    LineReader in(f);
    Line first;
    const bool haveFirst = in.next(first);
    if (format == Format::Detect)
        format = haveFirst && is9809Line(first, in.codec()) ? Format::Scan9809 : Format::Plain;

    PointSink sink{s};
    const bool ok = format == Format::Scan9809 ? read9809Lines(in, haveFirst ? &first : nullptr, sink, path)
                                               : readPlainLines(in, haveFirst ? &first : nullptr, sink);
    if (!in.ok()) {
        say(in.tooLarge() ? QStringLiteral("UTF-16 or UTF-32 spectrum file too large to read")
                          : QStringLiteral("Error on reading spectrum file"),
            path);
        s.clear();
        return false;
    }
    if (!ok) {
        s.clear();
        return false;
    }
    if (sink.skipped > 0)
        say(QStringLiteral("Left out %1 points with a non-finite energy or value").arg(sink.skipped), path);
    if (s.isEmpty()) {
        if (sink.skipped > 0)
            say(QStringLiteral("No finite data points in spectrum file"), path);
        else if (format == Format::Scan9809)
            say(QStringLiteral("No data lines after the Offset line in 9809 file"), path);
        else
            say(QStringLiteral("No data lines in spectrum file"), path);
        return false;
    }
    return true;
}

} // namespace

bool is9809(const QString& path)
{
    if (FileCheck::kindOf(path) != FileCheck::Kind::Regular)
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    LineReader in(f);
    Line first;
    return in.next(first) && is9809Line(first, in.codec());
}

bool readSpectrum(const QString& path, Spectrum& s)
{
    return readSpectrumFile(path, s, Format::Detect);
}

bool readPlainText(const QString& path, Spectrum& s)
{
    return readSpectrumFile(path, s, Format::Plain);
}

bool read9809(const QString& path, Spectrum& s)
{
    return readSpectrumFile(path, s, Format::Scan9809);
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
