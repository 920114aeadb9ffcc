#include "physics/SpectrumFiles.h"

#include "base/AtomicFile.h"
#include "base/FileCheck.h"
#include "base/LogCategories.h"
#include "base/NaturalLog.h"
#include "base/TextLines.h"
#include "physics/PhysConst.h"
#include "physics/Spectrum.h"
#include "physics/XafsSpectrum.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>
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
// would turn every normalised value into NaN. Read strictly (a spectrum to be
// used), a line whose numbers are not numbers is a title while no point has
// been read, and ends the read afterwards.
struct PointSink {
    Spectrum& s;
    bool strict = false;
    qint64 skipped = 0;
    qint64 titleLines = 0;
    // The first title line: its number and the field that is no number.
    qint64 firstTitleLine = 0;
    QString firstTitleField;
    // Strict: why the file is no spectrum (empty while it may be one).
    QString refusal;

    void add(double x, double y)
    {
        if (std::isfinite(x) && std::isfinite(y))
            s.add(x, y);
        else
            ++skipped;
    }

    // A line whose fields `bad` should be numbers; false when the read ends.
    bool notNumbers(qint64 lineNo, const QString& bad)
    {
        if (s.isEmpty() && skipped == 0) {
            if (titleLines++ == 0) {
                firstTitleLine = lineNo;
                firstTitleField = bad;
            }
            return true;
        }
        refusal = QStringLiteral("Not a number at line %1: \"%2\" in spectrum file").arg(lineNo).arg(bad.left(40));
        return false;
    }
};

// A field that would be a number with a decimal point instead of a comma.
bool isCommaDecimal(const QString& field)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?\\d*,\\d+([eE][+-]?\\d+)?$"));
    return re.match(field).hasMatch();
}

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
    for (qint64 lineNo = 1; have || in.next(line); ++lineNo) {
        have = false;
        fields.split(line, in.codec());
        if (fields.count() < 2 || fields.startsWith(0, '#'))
            continue;
        if (!sink.strict) {
            sink.add(fields.number(0), fields.number(1));
            continue;
        }
        bool okX = false, okY = false;
        const double x = fields.number(0, &okX);
        const double y = fields.number(1, &okY);
        if (okX && okY)
            sink.add(x, y);
        else if (!sink.notNumbers(lineNo, fields.text(okX ? 1 : 0)))
            return false;
    }
    return true;
}

// The "9809" header ends at a line whose first field is "Offset"; a "D=" field
// before it sets the lattice spacing. False (with its message) when the file
// has no such line or the spacing is no usable length.
bool read9809Lines(LineReader& in, const Line* first, PointSink& sink, const QString& path, QString* why)
{
    double d = default9809D;
    QString dText = QString::number(default9809D);
    bool header = true;
    Fields fields;
    Line line;
    bool have = first != nullptr;
    if (have)
        line = *first;
    for (qint64 lineNo = 1; have || in.next(line); ++lineNo) {
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
                    const QString text = QStringLiteral("Unusable lattice spacing D= %1 in 9809 file").arg(dText);
                    say(text, path);
                    if (why)
                        *why = text;
                    return false;
                }
            }
            continue;
        }
        fields.split(line, in.codec());
        if (fields.count() <= 4)
            continue;
        bool ok[3] = {true, true, true};
        const double theta = sink.strict ? fields.number(1, &ok[0]) : fields.number(1);
        const double i0 = sink.strict ? fields.number(3, &ok[1]) : fields.number(3);
        const double i1 = sink.strict ? fields.number(4, &ok[2]) : fields.number(4);
        if (!(ok[0] && ok[1] && ok[2])) {
            if (!sink.notNumbers(lineNo, fields.text(!ok[0] ? 1 : (!ok[1] ? 3 : 4))))
                return false;
            continue;
        }
        const double e = PhysConst::hc / (2.0 * d * std::sin(theta * PhysConst::anglePi / 180.0));
        const double mu = (i0 * i1 > 0.0) ? NaturalLog::of(i0 / i1) : 1.0;
        sink.add(e, mu);
    }
    if (header) {
        say(QStringLiteral("No Offset line in 9809 file"), path);
        if (why)
            *why = QStringLiteral("No Offset line in 9809 file");
        return false;
    }
    return true;
}

// Fewer points than this give no background lines (the Victoreen fit needs
// four) and so no normalisation.
constexpr int minUsablePoints = 4;

// A spectrum to be used needs its energies in order: in increasing order, or
// in decreasing order, which is turned round (a 9809 scan over increasing
// angles). False, with the reason in *refusal, for energies in no order or
// all at one energy.
bool putInOrder(Spectrum& s, QString* note, QString* refusal)
{
    const std::vector<SpectrumPoint>& p = s.points();
    const std::size_t n = p.size();
    bool rising = true, falling = true;
    for (std::size_t i = 1; i < n; ++i) {
        rising = rising && p[i].x >= p[i - 1].x;
        falling = falling && p[i].x <= p[i - 1].x;
    }
    if (rising && falling) {
        *refusal = QStringLiteral("All %1 points at one energy (%2 eV) in spectrum file").arg(n).arg(p[0].x);
        return false;
    }
    if (!rising && !falling) {
        // The first step that goes anywhere sets the direction.
        std::size_t i = 1;
        while (p[i].x == p[i - 1].x)
            ++i;
        const bool up = p[i].x > p[i - 1].x;
        while (i < n && (up ? p[i].x >= p[i - 1].x : p[i].x <= p[i - 1].x))
            ++i;
        *refusal = QStringLiteral("Energies out of order (point %1 at %2 eV follows %3 eV) in spectrum file")
                       .arg(i + 1).arg(p[i].x).arg(p[i - 1].x);
        return false;
    }
    if (falling) {
        const std::vector<SpectrumPoint> reversed(p.rbegin(), p.rend());
        s.clear();
        s.reserve(int(n));
        for (const SpectrumPoint& q : reversed)
            s.add(q.x, q.y);
        *note = QStringLiteral("Energies in decreasing order: read in reverse");
    }
    return true;
}

// Every spectrum read goes through here: the file is checked, opened once,
// its format detected from the first line when asked, and read. Read
// strictly, what cannot be a usable spectrum is refused (*why says why).
bool readSpectrumFile(const QString& path, Spectrum& s, Format format, bool strict = false,
                      QString* why = nullptr)
{
    s.clear();
    // Each refusal: the debug line and the reason for the caller.
    const auto refuse = [&](const QString& text) {
        say(text, path);
        if (why)
            *why = text;
        s.clear();
        return false;
    };
    if (refuseNonRegularFile(path)) {
        if (why)
            *why = QStringLiteral("Not a regular file (%1)").arg(FileCheck::describe(FileCheck::kindOf(path)));
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("Can not open spectrum file"));
    if (f.size() == 0)
        return refuse(QStringLiteral("Empty spectrum file"));
    LineReader in(f);
    Line first;
    const bool haveFirst = in.next(first);
    if (format == Format::Detect)
        format = haveFirst && is9809Line(first, in.codec()) ? Format::Scan9809 : Format::Plain;

    PointSink sink{s};
    sink.strict = strict;
    const bool ok = format == Format::Scan9809 ? read9809Lines(in, haveFirst ? &first : nullptr, sink, path, why)
                                               : readPlainLines(in, haveFirst ? &first : nullptr, sink);
    if (!in.ok()) {
        return refuse(in.tooLarge() ? QStringLiteral("UTF-16 or UTF-32 spectrum file too large to read")
                                    : QStringLiteral("Error on reading spectrum file"));
    }
    if (!sink.refusal.isEmpty())
        return refuse(sink.refusal);
    if (!ok) {
        s.clear();
        return false;
    }
    if (sink.skipped > 0)
        say(QStringLiteral("Left out %1 points with a non-finite energy or value").arg(sink.skipped), path);
    if (s.isEmpty()) {
        if (sink.skipped > 0)
            return refuse(QStringLiteral("No finite data points in spectrum file"));
        if (sink.titleLines > 0) {
            const QString field = sink.firstTitleField.left(40);
            return refuse(QStringLiteral("No numeric data lines (line %1: \"%2\" is not a number%3) in spectrum file")
                              .arg(sink.firstTitleLine)
                              .arg(field)
                              .arg(isCommaDecimal(field) ? QStringLiteral("; decimal commas are not read")
                                                         : QString()));
        }
        if (format == Format::Scan9809)
            return refuse(QStringLiteral("No data lines after the Offset line in 9809 file"));
        return refuse(QStringLiteral("No data lines in spectrum file"));
    }
    if (!strict)
        return true;
    if (sink.titleLines > 0)
        say(QStringLiteral("Skipped %1 title lines before the data").arg(sink.titleLines), path);
    if (s.count() < minUsablePoints) {
        return refuse(QStringLiteral("Only %1 points in spectrum file; a spectrum needs at least %2")
                          .arg(s.count())
                          .arg(minUsablePoints));
    }
    QString note, refusal;
    if (!putInOrder(s, &note, &refusal))
        return refuse(refusal);
    if (!note.isEmpty())
        say(note, path);
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

bool readSpectrum(const QString& path, Spectrum& s, QString* why)
{
    return readSpectrumFile(path, s, Format::Detect, true, why);
}

bool readPlainText(const QString& path, Spectrum& s)
{
    return readSpectrumFile(path, s, Format::Plain);
}

bool read9809(const QString& path, Spectrum& s)
{
    return readSpectrumFile(path, s, Format::Scan9809);
}

bool writeXafsSpectrum(const QString& path, const XafsSpectrum& s, bool energyCorrected, QString* error)
{
    // Made in memory, then written through a temporary file that replaces
    // the target only when complete.
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    out << xafsSpectrumHeader << "\n";
    out << "# x  double-normalized-pre-base y pre post\n";
    const double shift = energyCorrected ? s.dE() : 0.0;
    const Spectrum& dnpb = s.doubleNormalizedPreBase();
    for (int i = 0, n = s.count(); i < n; ++i) {
        out << s.E(i) - shift << '\t' << dnpb.y(i) << '\t' << s.y(i) << '\t' << s.preEdge().y(i) << '\t'
            << s.postEdge().y(i) << "\n";
    }
    out.flush();
    return AtomicFile::writeBytes(path, bytes, error);
}

} // namespace SpectrumFiles
