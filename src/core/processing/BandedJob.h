#pragma once

#include "base/SlicedJob.h"

// A run over the rows of a block grid cut into bands of rows, one band a
// slice: the worker computes band k (computeBand), the GUI thread records it
// (recordBand) before band k + 1 starts, so the results land in grid order
// however the work inside a band was shared out. Progress counts the band's
// blocks. finish() takes effect once; after it no band is recorded, whatever
// a stopped run still hands back.
class BandedJob : public SlicedJob
{
public:
    int sliceCount() const override { return m_bandCount; }
    qint64 totalItems() const override;
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    bool isFinished() const { return m_finished; }
    // Grid rows of a band (the last one may have fewer).
    int rowsPerBand() const { return m_rowsPerBand; }

protected:
    // Grid rows [first, first + count) of band `index`.
    struct Band {
        int index = 0;
        int first = 0;
        int count = 0;
        bool last = false;
    };

    // Bands of rowsPerBand rows (at least 1) over `rows` grid rows of
    // `columns` blocks. An empty grid gets no band, or with keepOneBand one
    // empty band of one item, for a run that records something even then.
    void planBands(int rows, int columns, int rowsPerBand, bool keepOneBand);
    Band band(int index) const;

    // Worker: computes the band; false when it could not (no memory).
    virtual bool computeBand(const Band& band, const std::atomic<bool>& stop) = 0;
    // GUI thread, band after band: records it (`computed`: what computeBand said).
    virtual void recordBand(const Band& band, bool computed) = 0;
    // GUI thread, once, from finish().
    virtual void finished(bool stopped) { Q_UNUSED(stopped); }

private:
    int m_rows = 0;
    int m_columns = 0;
    int m_rowsPerBand = 1;
    int m_bandCount = 0;
    bool m_keepOneBand = false;
    bool m_computed = false;
    bool m_finished = false;
};
