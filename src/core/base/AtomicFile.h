#pragma once

#include <QByteArray>
#include <QString>

class QImage;

// Saving without ever leaving a half-written file in place of a good one:
// the data goes to a temporary file in the target's directory, which is
// renamed over the target only when it is complete. On failure the target
// keeps its old contents and the temporary file is removed.
namespace AtomicFile {

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error);
// The picture in the format its suffix names ("png", "jpg", ...). Fails,
// naming the suffix, when no image writer handles it.
bool saveImage(const QImage& image, const QString& path, QString* error);

}

// A temporary file next to a target, for writers that need a file name of
// their own (libtiff): create() makes it (with the permissions a new file
// gets, or the target's when it exists), commit() renames it over the
// target. Destroying it uncommitted removes the temporary file.
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

private:
    QString m_target;
    QString m_path;
    bool m_created = false;
};
