#pragma once

// Image stacks for the processing tests: 16-bit images written as TIFF and
// float images written as CTTR text, read back through TiffData::read.

#include "io/TiffData.h"
#include "output/TiffWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <memory>
#include <vector>

class TestStacks
{
public:
    using Pattern = std::function<double(int x, int y)>;

    bool isValid() const { return m_dir.isValid(); }

    // A width x height 16-bit image with samples f(x, y) (clamped to 16 bits).
    const TiffData* u16(int width, int height, double energy, const Pattern& f)
    {
        std::vector<quint16> s(std::size_t(width) * std::size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                s[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                    quint16(qBound(0.0, f(x, y), 65535.0));
        const QString path = m_dir.filePath(QString("img%1.tif").arg(m_count++));
        if (!writeTiff16(path, s.data(), width, height))
            return nullptr;
        return keep(path, energy);
    }

    // A float image with samples f(x, y) / 500 written in CTTR text with
    // enough digits that the reader's x 500 gives them back up to rounding.
    const TiffData* cttr(int width, int height, double energy, const Pattern& f)
    {
        const QString path = m_dir.filePath(QString("img%1.dat").arg(m_count++));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return nullptr;
        QTextStream out(&file);
        out << "#CTTR-CTImg test\n# RANGE_X0 = 0\n# RANGE_X1 = " << width
            << "\n# RANGE_Y0 = 0\n# RANGE_Y1 = " << height << "\n";
        out.setRealNumberPrecision(12);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out << x << ' ' << y << ' ' << f(x, y) / 500.0 << '\n';
        out.flush();
        file.close();
        return keep(path, energy);
    }

    // Mutable access for setting shifts.
    TiffData* last() { return m_images.empty() ? nullptr : m_images.back().get(); }

private:
    const TiffData* keep(const QString& path, double energy)
    {
        auto t = std::make_unique<TiffData>();
        if (!t->read(path))
            return nullptr;
        t->setEnergy(energy);
        m_images.push_back(std::move(t));
        return m_images.back().get();
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    std::vector<std::unique_ptr<TiffData>> m_images;
};
