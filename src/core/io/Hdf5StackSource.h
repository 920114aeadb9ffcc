#pragma once

#include "io/Hdf5Scan.h"
#include "io/Hdf5Stack.h"
#include "io/ImageSource.h"
#include "io/SampleSlabs.h"

#include <memory>
#include <vector>

// The images of one HDF5 dataset as a series load reads them: image i is
// named "<file>::<dataset>[i]" and, when energies are given (one per image,
// eV), carries energies[i] as its file energy. The dataset is opened at the
// first read, in the loader's thread, and closed with the source. The
// images' samples are cut from shared stores (SampleSlabs).
class Hdf5StackSource : public ImageSource
{
public:
    // `opened`: the file held open (by the check of its scan) until the
    // dataset is opened.
    Hdf5StackSource(const QString& file, const QString& dataset, int count, std::vector<double> energies = {},
                    std::shared_ptr<Hdf5OpenFile> opened = {});

    // Each image is dropped before the next is read (frames averaged into
    // one): every image then takes the pages of the one before instead of a
    // share of a store for all of them.
    void setFramesDropped(bool dropped) { m_framesDropped = dropped; }

    int count() const override { return m_count; }
    QString imageName(int i) const override;
    std::unique_ptr<TiffData> read(int i, bool render, const Cancelled& cancelled) override;
    QString lastError() const override { return m_error; }

private:
    QString m_file;
    QString m_dataset;
    int m_count = 0;
    std::vector<double> m_energies;
    std::shared_ptr<Hdf5OpenFile> m_opened;
    Hdf5Stack m_stack;
    std::unique_ptr<SampleSlabs> m_slabs;
    bool m_framesDropped = false;
    QString m_error;
};

// The loads of a checked scan: the images become the I1 series with the
// file's energies; a flat stack with one image per energy becomes the I0
// series with the same energies, a flat stack of another count one averaged
// flat used at every energy; the dark frames are averaged into the dark.
struct Hdf5ScanSources {
    ImageSourcePtr images;
    ImageSourcePtr flats;    // null without flats
    ImageSourcePtr darks;    // the dark frames, null without darks
    QString darkOrigin;      // "scan.h5::/img_dark"

    static Hdf5ScanSources of(const Hdf5Scan& scan, const Hdf5ScanPlan& plan);
};
