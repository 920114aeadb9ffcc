#include "base/TextLines.h"

#include <QFile>
#include <QTextCodec>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace TextLines {

namespace {

constexpr int chunkBytes = 1 << 20;
// A "line" longer than this is no text line of a data file: it is handed out
// in pieces of this size, so that memory stays bounded.
constexpr int maxLineBytes = 64 << 20;
// UTF-16 and UTF-32 files are decoded in memory, up to this size.
constexpr qint64 maxDecodedBytes = 256 << 20;

// QChar::isSpace for the ASCII range.
inline bool isSpace(unsigned char c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0d);
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool startsWith(const QByteArray& bytes, const char* magic, int n)
{
    return bytes.size() >= n && std::memcmp(bytes.constData(), magic, size_t(n)) == 0;
}

} // namespace

LineReader::LineReader(QFile& file) : m_file(file) {}

bool LineReader::fill()
{
    const int keep = m_end - m_pos;
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(keep));
        m_pos = 0;
        m_end = keep;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(qMax(chunkBytes, m_buffer.size() * 2));   // a line longer than the buffer
    const qint64 got = m_file.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0) {
        m_ok = false;
        m_eof = true;
        return false;
    }
    if (got == 0)
        m_eof = true;
    m_end += int(got);
    return got > 0;
}

bool LineReader::next(Line& line)
{
    if (!m_started) {
        m_started = true;
        m_codec = QTextCodec::codecForLocale();
        // A small file in one read, a large one in chunks.
        m_buffer.resize(int(qBound<qint64>(64, m_file.size() + 1, chunkBytes)));
        fill();
        const QByteArray head = QByteArray::fromRawData(m_buffer.constData(), m_end);
        if (startsWith(head, "\xEF\xBB\xBF", 3)) {
            m_pos = 3;
            m_codec = QTextCodec::codecForName("UTF-8");
        } else if (startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2)
                   || startsWith(head, "\x00\x00\xFE\xFF", 4)) {
            // UTF-16 or UTF-32: decode the whole file and read it as UTF-8.
            if (m_file.size() > maxDecodedBytes) {
                m_ok = false;
                m_tooLarge = true;
                m_eof = true;
                return false;
            }
            QByteArray all(m_buffer.constData(), m_end);
            while (!m_eof && m_ok) {
                m_pos = m_end = 0;
                fill();
                all.append(m_buffer.constData(), m_end);
            }
            QTextCodec* utf = QTextCodec::codecForUtfText(all, QTextCodec::codecForLocale());
            m_buffer = utf->toUnicode(all).toUtf8();
            m_pos = 0;
            m_end = m_buffer.size();
            m_eof = true;
            m_codec = QTextCodec::codecForName("UTF-8");
        }
    }

    int scanned = 0;   // bytes of the current line already looked at
    for (;;) {
        const char* b = m_buffer.constData();
        if (m_skipLf && m_pos < m_end) {
            if (b[m_pos] == '\n')
                ++m_pos;
            m_skipLf = false;
        }
        if (!m_skipLf) {
            int i = m_pos + scanned;
            while (i < m_end && b[i] != '\n' && b[i] != '\r')
                ++i;
            if (i < m_end) {
                line.data = b + m_pos;
                line.size = i - m_pos;
                m_skipLf = b[i] == '\r';
                m_pos = i + 1;
                return true;
            }
            scanned = m_end - m_pos;
        }
        if (m_end - m_pos >= maxLineBytes) {
            line.data = b + m_pos;
            line.size = m_end - m_pos;
            m_pos = m_end;
            return true;
        }
        if (m_eof) {
            m_skipLf = false;
            if (m_pos >= m_end)
                return false;
            line.data = b + m_pos;
            line.size = m_end - m_pos;
            m_pos = m_end;
            return true;
        }
        fill();
    }
}

void Fields::split(const Line& line, QTextCodec* codec)
{
    m_count = 0;
    m_ascii = true;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(line.data);
    const unsigned char* const end = p + line.size;
    while (p < end) {
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            break;
        const unsigned char* start = p;
        while (p < end && !isSpace(*p)) {
            if (*p >= 0x80) {
                // Not ASCII: white space may be a Unicode one, and the bytes
                // are the codec's to decode.
                m_ascii = false;
                m_decoded = decodedFields(line, codec);
                m_count = m_decoded.size();
                return;
            }
            ++p;
        }
        if (m_count < kept) {
            m_ptr[m_count] = reinterpret_cast<const char*>(start);
            m_len[m_count] = int(p - start);
        }
        ++m_count;
    }
}

double Fields::number(int i) const
{
    bool ok = false;
    return number(i, &ok);
}

double Fields::number(int i, bool* ok) const
{
    *ok = false;
    const double v = m_ascii ? (i < kept ? toDouble(m_ptr[i], m_len[i], ok) : text(i).toDouble(ok))
                             : m_decoded.at(i).toDouble(ok);
    return *ok ? v : 0.0;
}

bool Fields::startsWith(int i, char c) const
{
    if (m_ascii && i < kept)
        return m_len[i] > 0 && m_ptr[i][0] == c;
    return text(i).startsWith(QLatin1Char(c));
}

QString Fields::text(int i) const
{
    if (!m_ascii)
        return m_decoded.at(i);
    if (i < kept)
        return QString::fromLatin1(m_ptr[i], m_len[i]);
    return QString();
}

double toDouble(const char* p, int n, bool* ok)
{
    // Plain decimal numbers (the bulk of any data file) go through
    // std::from_chars, which rounds correctly as QString::toDouble does; what
    // it does not take whole, and zero, underflow and overflow, whose ok flag
    // QString::toDouble decides, go to QString::toDouble itself.
    const char* const end = p + n;
    if (n > 0 && (isDigit(p[0]) || (p[0] == '-' && n > 1 && isDigit(p[1])))) {
        double v = 0.0;
        const std::from_chars_result r = std::from_chars(p, end, v);
        if (r.ec == std::errc() && r.ptr == end && std::fabs(v) >= DBL_MIN && std::fabs(v) <= DBL_MAX) {
            *ok = true;
            return v;
        }
    }
    return QString::fromLatin1(p, n).toDouble(ok);
}

QStringList decodedFields(const Line& line, QTextCodec* codec)
{
    // A stateful decode as a text stream's, which strips no byte-order mark
    // in the middle of a file.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(line.data, line.size, &state).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace TextLines
