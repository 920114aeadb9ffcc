#pragma once

#include "base/SlicedJob.h"
#include "output/SaveProvenance.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AtomicWriter;

// A text file written slice by slice: each slice's text is made in the
// worker (runSlice of a subclass) and appended on the GUI thread in slice
// order. The text goes to a temporary file that replaces the target only
// when every slice has been written; a stopped or failed job leaves the old
// file as it was. On success the provenance sidecar (when given) is written
// next to the file.
class SaveFileJob : public SlicedJob
{
public:
    struct Result {
        bool ok = false;
        bool stopped = false;
        QString path;
        // Names the file and the reason when not ok.
        QString message;
    };
    using Done = std::function<void(const Result&)>;

    explicit SaveFileJob(const QString& path);
    ~SaveFileJob() override;

    // The target could be opened; a job that could not finishes at once
    // with its message.
    bool isOpen() const;
    const QString& path() const { return m_result.path; }
    const Result& result() const { return m_result; }
    void setProvenance(const SaveProvenance& provenance) { m_provenance = provenance; }
    // Called on the GUI thread when the job has finished, stopped or failed.
    void setDone(Done done) { m_done = std::move(done); }

    int sliceCount() const override { return int(m_slices.size()); }
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    // Runs every slice on the calling thread, then finishes; the result.
    bool runHere();

protected:
    // Constructor of a subclass: how many slices, and text to write at once.
    void setSliceCount(int count);
    // The job cannot be done: nothing is written, and finishing reports it.
    void refuse(const QString& message);
    void writeNow(const QByteArray& bytes);
    // Worker: the text of slice `index`, appended when it is delivered.
    void keepSlice(int index, QByteArray bytes) { m_slices[std::size_t(index)] = std::move(bytes); }
    // A write has failed: later slices need not be computed.
    bool writeFailed() const { return m_failed.load(); }
    // GUI thread, before the text of slice `index` is written.
    virtual void beforeDelivery(int index) { Q_UNUSED(index); }

private:
    void fail(const QString& message);

    std::unique_ptr<AtomicWriter> m_file;
    std::vector<QByteArray> m_slices;
    Result m_result;
    std::optional<SaveProvenance> m_provenance;
    Done m_done;
    std::atomic<bool> m_failed{false};
    bool m_finished = false;
};
