#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;
class QTextCodec;

// Fast reading of line-oriented text files (the spectrum files): lines come
// out of a large buffer as byte ranges, are split at white space and their
// numbers parsed without building a QString, for pure ASCII lines. Other lines
// go through the locale's text codec, QString::simplified() and
// QString::toDouble(), so every line gives the same fields and numbers that a
// QTextStream reader with those functions gives.
namespace TextLines {

// One line without its end: data[0 .. size).
struct Line {
    const char* data = nullptr;
    int size = 0;
};

// Reads a file line by line. A line ends at LF, CR LF or CR alone (old Mac
// files); a line longer than 64 MiB comes out in pieces. A UTF-8 byte-order
// mark is skipped; a UTF-16 or UTF-32 file (with
// its byte-order mark) is decoded first; other bytes are decoded with the
// locale's codec, as QTextStream does.
class LineReader
{
public:
    explicit LineReader(QFile& file);

    // The next line; false at the end of the file.
    bool next(Line& line);
    // False after a read error of the device, or for a UTF-16/32 file too
    // large (over 256 MiB) to decode in memory (tooLarge()).
    bool ok() const { return m_ok; }
    bool tooLarge() const { return m_tooLarge; }
    // Codec for the bytes of lines that are not pure ASCII.
    QTextCodec* codec() const { return m_codec; }

private:
    bool fill();

    QFile& m_file;
    QByteArray m_buffer;
    int m_pos = 0;
    int m_end = 0;
    bool m_eof = false;
    bool m_started = false;
    bool m_ok = true;
    bool m_tooLarge = false;
    bool m_skipLf = false;   // the previous line ended with CR: a following LF belongs to it
    QTextCodec* m_codec = nullptr;
};

// The fields of one line as QString::simplified().split(' ') gives them.
// ASCII lines keep pointers into the line; the first `kept` fields are kept,
// `count` counts them all.
class Fields
{
public:
    static constexpr int kept = 5;

    void split(const Line& line, QTextCodec* codec);

    int count() const { return m_count; }
    // Field i (< kept) read as a decimal number like QString::toDouble(&ok):
    // text that is not a number, out-of-range values included, reads as 0.
    double number(int i) const;
    // The same, with *ok false (and 0) for text that is not a number.
    double number(int i, bool* ok) const;
    bool startsWith(int i, char c) const;
    // Field i as text (any i < count()).
    QString text(int i) const;

private:
    int m_count = 0;
    bool m_ascii = true;
    const char* m_ptr[kept] = {};
    int m_len[kept] = {};
    QStringList m_decoded;
};

// `n` bytes of ASCII text read as QString::toDouble(&ok) reads them; *ok as
// it sets it (false for text that is not a number and for overflow).
double toDouble(const char* p, int n, bool* ok);

// The line decoded with the codec, simplified and split at single blanks.
QStringList decodedFields(const Line& line, QTextCodec* codec);

} // namespace TextLines
