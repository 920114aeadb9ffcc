#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class QImage;

// Saving without ever leaving a half-written file in place of a good one:
// the data goes to a temporary file in the target's directory, which is
// flushed to the disk and renamed over the target only when it is complete.
// On failure (a full disk, a failed write) the target keeps its old contents
// and the temporary file is removed; a process killed during the save leaves
// the old file and, at worst, a hidden ".<name>.<random>.tmp" beside it.
//
// A target that is a symbolic link is replaced by the new file: the link
// goes, and the file it pointed to is left untouched. A data folder that
// came from elsewhere cannot make a save overwrite a file outside it.
namespace AtomicFile {

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error);
// The picture in the format its suffix names ("png", "jpg", ...). Fails,
// naming the suffix, when no image writer handles it.
bool saveImage(const QImage& image, const QString& path, QString* error);

}

// A temporary file next to a target, for writers that need a file name of
// their own (libtiff): create() makes it (with the permissions a new file
// gets, or the target's when it exists), commit() flushes it to the disk and
// renames it over the target. Destroying it uncommitted removes the
// temporary file.
class TempSibling
{
public:
    explicit TempSibling(const QString& target);
    ~TempSibling();
    TempSibling(const TempSibling&) = delete;
    TempSibling& operator=(const TempSibling&) = delete;

    bool create(QString* error);
    const QString& path() const { return m_path; }
    const QString& target() const { return m_target; }
    bool commit(QString* error);
    // Removes the temporary file now.
    void discard();

private:
    QString m_target;
    QString m_path;
    bool m_created = false;
};

// A file written piece by piece through a TempSibling: open(), write() as
// often as needed (a failed write is remembered and later ones do nothing),
// then commit(), which replaces the target only when every byte reached the
// disk. Destroying it uncommitted leaves the target as it was.
class AtomicWriter
{
public:
    explicit AtomicWriter(const QString& target);

    bool open(QString* error);
    bool isOpen() const { return m_file.isOpen(); }
    bool write(const QByteArray& bytes);
    bool failed() const { return m_failed; }
    // "Can't write <target>: <reason>" once a write has failed.
    QString writeError() const;
    bool commit(QString* error);
    void cancel();

private:
    TempSibling m_temp;
    QFile m_file;
    bool m_failed = false;
    QString m_reason;
};
