#include "DemoData.h"

#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "output/TextMapReader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <map>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <time.h>

namespace DemoData {

const char* const compounds[] = {"fe_metal", "fe2", "fe3"};

std::vector<TiffData*> Series::mutableView() const
{
    std::vector<TiffData*> v;
    for (const auto& t : images)
        v.push_back(t.get());
    return v;
}

bool energyOfName(const QString& name, double* e)
{
    static const QRegularExpression re(QStringLiteral("(\\d+(?:\\.\\d+)?)eV"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return false;
    *e = m.captured(1).toDouble();
    return true;
}

QStringList tiffFiles(const QString& dir)
{
    QStringList out;
    const QDir d(dir);
    for (const QString& n : d.entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name))
        out << d.filePath(n);
    return out;
}

void loadSeries(const QString& dir, Series* s)
{
    for (const QString& path : tiffFiles(dir)) {
        double e = 0.0;
        auto t = std::make_unique<TiffData>();
        if (!energyOfName(QFileInfo(path).fileName(), &e) || !t->read(path)) {
            s->ok = false;
            return;
        }
        t->setEnergy(e);
        s->view.push_back(t.get());
        s->images.push_back(std::move(t));
    }
    s->ok = !s->images.empty();
}

std::map<qint64, QPoint> trueDrift(const QString& driftFile)
{
    std::map<qint64, QPoint> out;
    QFile f(driftFile);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&f);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList items = line.simplified().split(' ');
        if (line.startsWith('#') || items.size() < 4)
            continue;
        out[qRound64(items[1].toDouble() * 100.0)] = QPoint(-items[2].toInt(), -items[3].toInt());
    }
    return out;
}

int applyTrueDrift(const QString& driftFile, const std::vector<TiffData*>& images)
{
    const std::map<qint64, QPoint> drift = trueDrift(driftFile);
    int shifted = 0;
    for (TiffData* t : images) {
        const auto it = drift.find(qRound64(t->energy() * 100.0));
        if (it == drift.end())
            continue;
        t->setShift(it->second.x(), it->second.y());
        ++shifted;
    }
    return shifted;
}

bool readF32(const QString& path, int width, int height, std::vector<double>* out)
{
    QFile f(path);
    const qint64 n = qint64(width) * height;
    if (!f.open(QIODevice::ReadOnly) || f.size() != n * 4)
        return false;
    const QByteArray bytes = f.readAll();
    out->resize(std::size_t(n));
    for (qint64 i = 0; i < n; ++i) {
        float v;
        std::memcpy(&v, bytes.constData() + i * 4, 4);
        (*out)[std::size_t(i)] = v;
    }
    return true;
}

bool Truth::read(const QString& dir, int w, int h)
{
    width = w;
    height = h;
    for (int k = 0; k < compoundCount; ++k)
        if (!readF32(dir + QStringLiteral("/truth/fraction_%1.f32").arg(compounds[k]), w, h, &fractions[k]))
            return false;
    return readF32(dir + QStringLiteral("/truth/thickness.f32"), w, h, &thickness);
}

void fractionErrorsOf(const std::vector<double>& errors, double* mae, double* p95)
{
    if (errors.empty()) {
        *mae = *p95 = std::nan("");
        return;
    }
    std::vector<double> err = errors;
    double sum = 0.0;
    for (double e : err)
        sum += e;
    *mae = sum / double(err.size());
    const std::size_t k = std::min(err.size() - 1, std::size_t(std::ceil(0.95 * double(err.size()))) - 1);
    std::nth_element(err.begin(), err.begin() + std::ptrdiff_t(k), err.end());
    *p95 = err[k];
}

void fractionErrors(const Truth& truth, const QVector<Analyzed2DRes*>& fractionMaps, double* mae, double* p95)
{
    fractionErrors(truth, [&](int k, int x, int y) { return fractionMaps[k]->value(x, y); }, mae, p95);
}

QString param(const QString& dir, const QString& key)
{
    QFile f(QDir(dir).filePath(QStringLiteral("params.txt")));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    QString line;
    while (in.readLineInto(&line)) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

bool savedFractionError(const QString& dir, int width, int height, int* mapsSaved, double* mae, QString* error,
                        const QString& prefix)
{
    Truth truth;
    if (!truth.read(dir, width, height)) {
        *error = QStringLiteral("cannot read the truth maps of %1").arg(dir);
        return false;
    }
    const QDir d(dir);
    *mapsSaved = 0;
    std::vector<std::vector<double>> saved(compoundCount, std::vector<double>(truth.thickness.size(), std::nan("")));
    for (int k = 0; k < compoundCount; ++k) {
        const QString stem = QStringLiteral("results/%1fraction_%2-%3").arg(prefix).arg(QLatin1String(compounds[k])).arg(k);
        if (QFile::exists(d.filePath(stem + QStringLiteral(".tif"))))
            ++*mapsSaved;
        TextMapReader::Map map;
        QString readError;
        if (!TextMapReader::read(d.filePath(stem + QStringLiteral(".dat")), TextMapFormat{false, true}, &map,
                                 &readError)) {
            std::fprintf(stderr, "%s\n", qPrintable(readError));
            continue;
        }
        ++*mapsSaved;
        for (const TextMapReader::Point& p : map.points)
            if (p.x >= 0 && p.y >= 0 && p.x < width && p.y < height)
                saved[std::size_t(k)][std::size_t(p.y) * std::size_t(width) + std::size_t(p.x)] = p.value;
    }
    double p95 = 0.0;
    fractionErrors(truth, [&](int k, int x, int y) {
        return saved[std::size_t(k)][std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }, mae, &p95);
    return true;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

qint64 peakRss()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QStringList lines = QString::fromLatin1(f.readAll()).split('\n');
    for (const QString& line : lines)
        if (line.startsWith(QLatin1String("VmHWM:")))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

} // namespace DemoData
