#pragma once

#include "io/ImageSource.h"
#include "io/OleFile.h"
#include "io/SampleSlabs.h"
#include "io/TxrmScan.h"

#include <memory>
#include <vector>

// Images of a TXRM/XRM file as a series load reads them, one stream each:
// image i is named "<file>::<stream>" and, when energies are given (one per
// image, eV), carries energies[i] as its file energy. The file is opened at
// the first read, in the loader's thread, and closed after the last image.
// The images' samples are cut from shared stores (SampleSlabs).
class TxrmSource : public ImageSource
{
public:
    TxrmSource(const QString& file, const QStringList& streams, quint32 width, quint32 height, int pixelType,
               std::vector<double> energies = {});

    int count() const override { return m_streams.size(); }
    QString imageName(int i) const override;
    std::unique_ptr<TiffData> read(int i, bool render, const Cancelled& cancelled) override;
    QString lastError() const override { return m_error; }

private:
    QString m_file;
    QStringList m_streams;
    quint32 m_width = 0;
    quint32 m_height = 0;
    int m_pixelType = 4;
    std::vector<double> m_energies;
    OleFile m_ole;
    std::unique_ptr<SampleSlabs> m_slabs;
    QString m_error;
};

// The loads of a checked file: its images, and its reference image (null
// without one) as the one flat of every energy, carrying the first energy.
struct TxrmSources {
    ImageSourcePtr images;
    ImageSourcePtr flat;

    static TxrmSources of(const TxrmPlan& plan);
};
