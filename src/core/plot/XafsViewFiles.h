#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class XafsSpectrum;

// The files the spectrum view writes when its spectra are saved under one
// name: the target ("T", energy-corrected), the standard ("std") and every
// extra spectrum ("other0", "other1", ...), each in the spectrum text format.
class XafsViewFiles
{
public:
    // "<absolute dir of fname>/<complete base name>-<tag>.<extension>", the
    // extension being fname's or "dat" when fname has none.
    static QString fileName(const QString& fname, const QString& tag);

    // Writes every spectrum that has points; returns the files written. A file
    // that cannot be written is reported on the debug output and skipped.
    static QStringList save(const QString& fname, const XafsSpectrum& target, const XafsSpectrum& standard,
                            const QVector<const XafsSpectrum*>& extras);
};
