#include "batch/BatchFiles.h"

#include "base/FileNameCodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <dirent.h>
#include <QSet>
#include <QVector>
#include <algorithm>
#include <cerrno>

namespace BatchFiles {

namespace {

// The listing's rule: wildcards, any case. Matched on FileNameCodec's
// matching form, since the engine matches nothing on a lone surrogate.
class PatternMatcher
{
public:
    explicit PatternMatcher(const QStringList& patterns)
    {
        for (const QString& p : patterns)
            m_expressions << QRegularExpression(
                QRegularExpression::wildcardToRegularExpression(FileNameCodec::forMatching(p)),
                QRegularExpression::CaseInsensitiveOption);
    }
    bool matches(const QString& name) const
    {
        const QString subject = FileNameCodec::forMatching(name);
        return std::any_of(m_expressions.cbegin(), m_expressions.cend(),
                           [&](const QRegularExpression& m) { return m.match(subject).hasMatch(); });
    }

private:
    QVector<QRegularExpression> m_expressions;
};

} // namespace

QStringList filesOfPattern(const QString& dir, const QStringList& patterns)
{
    if (dir.isEmpty() || patterns.isEmpty())
        return {};
    const QDir d(dir);
    if (!d.exists())
        return {};
    // Matched here rather than by QDir: its matcher skips names that carry
    // bytes outside UTF-8, which the file-name codec keeps as lone surrogates.
    const PatternMatcher matcher(patterns);
    QStringList names;
    for (const QString& name : d.entryList(QDir::Files, QDir::Name))
        if (matcher.matches(name))
            names << name;
    const bool hasSeparator = dir.endsWith(QLatin1Char('/')) || dir.endsWith(QDir::separator());
    const QString prefix = hasSeparator ? dir : dir + QLatin1Char('/');
    QStringList out;
    out.reserve(names.size());
    for (const QString& name : names)
        out << prefix + name;
    return out;
}

QString listingProblem(const QString& dir)
{
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    if (d) {
        ::closedir(d);
        return QString();
    }
    const int error = errno;
    if (error == ENOMEM)
        return QStringLiteral("Not enough memory to list the folder \"%1\"").arg(dir);
    if (error == EMFILE || error == ENFILE)
        return QStringLiteral("Too many open files to list the folder \"%1\"").arg(dir);
    return QString();
}

int namesOutsideEncoding(const QString& dir, const QStringList& patterns)
{
    const PatternMatcher matcher(patterns);
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return 0;
    int count = 0;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray raw(e->d_name);
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw && matcher.matches(name))
            ++count;
    }
    ::closedir(d);
    return count;
}

QStringList filesToRead(const QStringList& files, int skip, int cutFirst, int cutLast)
{
    const qint64 step = std::max(skip, 1);
    const qint64 end = qint64(files.size()) - std::max(cutLast, 0);
    QStringList out;
    for (qint64 i = std::max(cutFirst, 0); i < end; i += step)
        out << files.at(int(i));
    return out;
}

QString loadShortfall(const QStringList& expected, const QStringList& arrived, int named)
{
    QSet<QString> got;
    for (const QString& f : arrived)
        got.insert(f);
    QStringList missing;
    for (const QString& f : expected)
        if (!got.contains(f))
            missing << f;
    if (missing.isEmpty())
        return QString();
    QStringList shown = missing.mid(0, std::max(named, 1));
    QString list = shown.join(QStringLiteral(", "));
    if (missing.size() > shown.size())
        list += QStringLiteral(" and %1 more").arg(missing.size() - shown.size());
    return QStringLiteral("%1 of %2 images could not be loaded: %3")
        .arg(QString::number(missing.size()), QString::number(expected.size()), list);
}

}
