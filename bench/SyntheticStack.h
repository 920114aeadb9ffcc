#pragma once

// The synthetic stack the micro-benchmarks share: textured I1 and I0 images
// over an iron-like edge.

#include "io/TiffData.h"
#include "output/TiffWriter.h"

#include <QTemporaryDir>
#include <cmath>
#include <memory>
#include <vector>

// An iron-like edge over the scan, for images whose spectra normalise like
// real ones.
inline double edgeMu(double e)
{
    const double l = 12398.424360387684 / e;
    return 0.3 + 0.002 * l * l * l + 0.5 + std::atan((e - 7120.0) / 2.0) / 3.141592653589793;
}

// size x size pixels, n energies from 6962 to 7512 eV, I1 and I0 images
// written as TIFFs and read back; callers keep one per process.
struct SyntheticStack {
    std::vector<std::unique_ptr<TiffData>> i1Images, i0Images;
    std::vector<const TiffData*> i1, i0;

    SyntheticStack(int size, int n)
    {
        QTemporaryDir dir;
        std::vector<quint16> s(std::size_t(size) * std::size_t(size));
        for (int k = 0; k < n; ++k) {
            const double e = 6962.0 + 550.0 * k / (n - 1);
            const double t = std::exp(-edgeMu(e));
            for (int kind = 0; kind < 2; ++kind) {
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x) {
                        const double beam = 20000.0 + ((x * 7 + y * 13 + k) % 97);
                        s[std::size_t(y) * std::size_t(size) + std::size_t(x)] =
                            quint16(kind == 0 ? beam * t : beam);
                    }
                const QString path = dir.filePath("img.tif");
                writeTiff16(path, s.data(), size, size);
                auto img = std::make_unique<TiffData>();
                img->read(path);
                img->setEnergy(e);
                (kind == 0 ? i1 : i0).push_back(img.get());
                (kind == 0 ? i1Images : i0Images).push_back(std::move(img));
            }
        }
    }
};

