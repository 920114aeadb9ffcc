#include "DemoFiles.h"

#include "physics/PhysConst.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QtEndian>
#include <cmath>
#include <cstdio>

namespace DemoFiles {

namespace {

// Text is assembled in memory and written at once; QSaveFile leaves no
// half-written file behind when writing fails.
bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace

bool writeText(const QString& path, const QString& text)
{
    return writeBytes(path, text.toUtf8());
}

bool writeSpectrumText(const QString& path, const QStringList& comments, const std::vector<double>& energies,
                       const std::vector<double>& values)
{
    if (energies.size() != values.size())
        return false;
    QByteArray out;
    for (const QString& c : comments)
        out += "# " + c.toUtf8() + '\n';
    for (size_t i = 0; i < energies.size(); ++i)
        out += QByteArray::number(energies[i], 'f', 2) + ' ' + QByteArray::number(values[i], 'f', 7) + '\n';
    return writeBytes(path, out);
}

double braggAngle(double energy, double d)
{
    return std::asin(PhysConst::hc / (2.0 * d * energy)) * 180.0 / PhysConst::anglePi;
}

bool writeSpectrum9809(const QString& path, const QString& title, double d, const std::vector<double>& energies,
                       const std::vector<double>& mu)
{
    if (energies.size() != mu.size() || energies.empty())
        return false;
    QByteArray out;
    out += "  9809     ORVANTELLE-DEMO   synthetic reference\n";
    out += title.toUtf8() + '\n';
    out += "Ring : none (model spectrum)\n";
    out += "Mono :  SI(111)        D= " + QByteArray::number(d, 'f', 5) + " A    Initial angle= "
        + QByteArray::number(braggAngle(energies.front(), d), 'f', 4) + " deg\n";
    out += "Points= " + QByteArray::number(qulonglong(energies.size())) + "   Mode= transmission\n";
    out += "Offset     0     0     0\n";
    const size_t n = energies.size();
    for (size_t i = 0; i < n; ++i) {
        const QByteArray angle = QByteArray::number(braggAngle(energies[i], d), 'f', 8);
        // A slowly falling incident beam, as a storage ring gives.
        const double i0 = 1.0e6 * (1.0 - 0.05 * double(i) / double(n));
        const double i1 = i0 * std::exp(-mu[i]);
        out += angle + ' ' + angle + " 1.00 " + QByteArray::number(i0, 'f', 3) + ' '
            + QByteArray::number(i1, 'f', 3) + '\n';
    }
    return writeBytes(path, out);
}

bool writeIm(const QString& path, const quint16* data, int width, int height, const QString& comment)
{
    const QByteArray text = comment.toLatin1();
    if (!data || width <= 0 || height <= 0 || width > 0xffff || height > 0xffff || text.size() > 0xffff)
        return false;
    QByteArray out(64, '\0');
    out[0] = 'I';
    out[1] = 'M';
    qToLittleEndian<quint16>(quint16(text.size()), out.data() + 2);
    qToLittleEndian<quint16>(quint16(width), out.data() + 4);
    qToLittleEndian<quint16>(quint16(height), out.data() + 6);
    out += text;
    const size_t n = size_t(width) * size_t(height);
    const int start = out.size();
    out.resize(start + int(n * 2));
    for (size_t i = 0; i < n; ++i)
        qToLittleEndian<quint16>(data[i], out.data() + start + 2 * i);
    return writeBytes(path, out);
}

bool writeCttr(const QString& path, const quint16* data, int width, int height, const QStringList& comments)
{
    if (!data || width <= 0 || height <= 0)
        return false;
    QByteArray out;
    out += "#CTTR-CTImg synthetic demo image\n";
    for (const QString& c : comments)
        out += "# " + c.toUtf8() + '\n';
    out += "# RANGE_X0 = 0\n";
    out += "# RANGE_X1 = " + QByteArray::number(width) + '\n';
    out += "# RANGE_Y0 = 0\n";
    out += "# RANGE_Y1 = " + QByteArray::number(height) + '\n';
    out.reserve(out.size() + width * height * 18);
    char line[64];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // count / 500 written exactly: count * 2 thousandths.
            const int twice = 2 * int(data[size_t(y) * width + x]);
            const int len = std::snprintf(line, sizeof line, "%d %d %d.%03d\n", x, y, twice / 1000, twice % 1000);
            out.append(line, len);
        }
    return writeBytes(path, out);
}

bool writeFloatMap(const QString& path, const std::vector<float>& map)
{
    QByteArray out(int(map.size() * sizeof(float)), '\0');
    for (size_t i = 0; i < map.size(); ++i)
        qToLittleEndian<float>(map[i], out.data() + 4 * i);
    return writeBytes(path, out);
}

} // namespace DemoFiles
