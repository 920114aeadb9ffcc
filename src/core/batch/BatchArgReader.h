#pragma once

#include "batch/CmdLine.h"

#include <QStringList>

// Reads the arguments of one command line with the language's conversions
// (BatchArgs) and notes every argument that was missing or malformed, so the
// executor can say so ("argument 2 of set_band_w, \"3.5\", is not an
// integer; 0 is used") while the command still acts with 0 or off.
class BatchArgReader
{
public:
    explicit BatchArgReader(const CmdLine& cmd)
        : m_cmd(cmd)
    {
    }

    // n: integer; 0 when missing or not an integer.
    int n(int i);
    // x: floating-point number; 0 when missing or not a finite number.
    double x(int i);
    // flag: on exactly for "1"; a text other than 0 or 1 is noted.
    bool flag(int i);
    // text: as given; empty when missing (not noted: an empty name is a value).
    QString text(int i) const { return m_cmd.arg(i); }
    // Every argument from i on.
    QStringList from(int i) const { return m_cmd.args.mid(i); }

    const QStringList& notes() const { return m_notes; }

private:
    void note(int i, const char* what, const char* used);

    const CmdLine& m_cmd;
    QStringList m_notes;
};
