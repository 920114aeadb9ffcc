// Reading large spectrum files: the plain two-column reader and the "9809"
// reader on 2 million data lines, against the QTextStream reader they replaced,
// against reading the same bytes alone and against bare strtod and from_chars
// loops over them (the floor a text reader can reach).

#include "physics/Spectrum.h"
#include "physics/XafsSpectrum.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int lineCount = 2000000;

QTemporaryDir& benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// Energies with six decimals and values with eight significant digits, TAB
// separated, as a beamline's export writes them; written once.
QString plainFile()
{
    const QString file = benchDir().filePath(QStringLiteral("plain_2M.dat"));
    if (QFile::exists(file))
        return file;
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("# energy\tmu\n");
    char line[64];
    QByteArray chunk;
    for (int i = 0; i < lineCount; ++i) {
        const double e = 6900.0 + i * 0.000625;
        const double mu = 0.3 + 1.2 / (1.0 + std::exp(-(e - 7112.0))) + 1e-3 * std::sin(i * 0.37);
        const int n = std::snprintf(line, sizeof line, "%.6f\t%.8g\n", e, mu);
        chunk.append(line, n);
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
    return file;
}

// A "9809" angle scan: a short header, "Offset", then five fields per line.
QString file9809()
{
    const QString file = benchDir().filePath(QStringLiteral("scan_2M.9809"));
    if (QFile::exists(file))
        return file;
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("9809     bench scan\n  Mono : Si(111)   D= 3.13553   A\nOffset   0  0  0  0\n");
    char line[96];
    QByteArray chunk;
    for (int i = 0; i < lineCount; ++i) {
        const double theta = 16.5 - i * 1e-6;
        const int n = std::snprintf(line, sizeof line, "%10.5f %10.6f %6.2f %9d %9d\n", theta, theta, 1.0,
                                    200000 + i % 977, 80000 + i % 613);
        chunk.append(line, n);
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
    return file;
}

// Reads `file` on every iteration with `read`, which must give every line.
template <class S, class Read>
void readEach(benchmark::State& state, const QString& file, Read read)
{
    for (auto _ : state) {
        S s;
        if (!read(s, file) || s.count() != lineCount)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(s.y(lineCount / 2));
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}

void BM_SpectrumRead2M_Plain(benchmark::State& state)
{
    readEach<Spectrum>(state, plainFile(), [](Spectrum& s, const QString& f) { return s.loadFromText(f); });
}
BENCHMARK(BM_SpectrumRead2M_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SpectrumRead2M_9809(benchmark::State& state)
{
    readEach<Spectrum>(state, file9809(), [](Spectrum& s, const QString& f) { return s.loadFrom9809(f); });
}
BENCHMARK(BM_SpectrumRead2M_9809)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a spectrum chooser does: detect the format, then read.
void BM_SpectrumRead2M_XafsLoadPlain(benchmark::State& state)
{
    readEach<XafsSpectrum>(state, plainFile(), [](XafsSpectrum& s, const QString& f) { return s.load(f); });
}
BENCHMARK(BM_SpectrumRead2M_XafsLoadPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plain reader as it was first written: a text-mode QFile, a QTextStream,
// QString::simplified().split(' ') and QString::toDouble per field. Kept as
// the reference the byte-level reader is measured against.
void BM_SpectrumRead2M_PlainQTextStreamReference(benchmark::State& state)
{
    const QString file = plainFile();
    for (auto _ : state) {
        Spectrum s;
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            state.SkipWithError("open failed");
        QTextStream in(&f);
        QString line;
        while (in.readLineInto(&line)) {
            const QStringList items = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (items.size() < 2 || items.at(0).startsWith(QLatin1Char('#')))
                continue;
            bool ok0 = false, ok1 = false;
            const double x = items.at(0).toDouble(&ok0);
            const double y = items.at(1).toDouble(&ok1);
            s.add(ok0 ? x : 0.0, ok1 ? y : 0.0);
        }
        if (s.count() != lineCount)
            state.SkipWithError("reference read failed");
        benchmark::DoNotOptimize(s.y(lineCount / 2));
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}
BENCHMARK(BM_SpectrumRead2M_PlainQTextStreamReference)->Unit(benchmark::kMillisecond)->UseRealTime();

// The bytes of the plain file read in one go, nothing parsed.
void BM_SpectrumRead2M_BytesOnly(benchmark::State& state)
{
    const QString file = plainFile();
    for (auto _ : state) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        const QByteArray bytes = f.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}
BENCHMARK(BM_SpectrumRead2M_BytesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Read in one go, then strtod over every number: no line logic, no checks.
void BM_SpectrumRead2M_StrtodFloor(benchmark::State& state)
{
    const QString file = plainFile();
    for (auto _ : state) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        QByteArray bytes = f.readAll();
        const char* p = bytes.constData();
        p = std::strchr(p, '\n') + 1;   // the comment line
        double sum = 0.0;
        char* end = nullptr;
        for (;;) {
            const double v = std::strtod(p, &end);
            if (end == p)
                break;
            sum += v;
            p = end;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}
BENCHMARK(BM_SpectrumRead2M_StrtodFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with std::from_chars, the fastest plain number parser at hand.
void BM_SpectrumRead2M_FromCharsFloor(benchmark::State& state)
{
    const QString file = plainFile();
    for (auto _ : state) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        const QByteArray bytes = f.readAll();
        const char* p = std::strchr(bytes.constData(), '\n') + 1;
        const char* const end = bytes.constData() + bytes.size();
        double sum = 0.0;
        while (p < end) {
            double v = 0.0;
            const std::from_chars_result r = std::from_chars(p, end, v);
            if (r.ptr == p)
                break;
            sum += v;
            p = r.ptr + 1;   // one separator: TAB or newline
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}
BENCHMARK(BM_SpectrumRead2M_FromCharsFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
