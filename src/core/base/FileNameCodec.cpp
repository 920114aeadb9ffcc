#include "base/FileNameCodec.h"

namespace {

constexpr ushort escapeBase = 0xDC00; // bytes 0x80-0xFF become U+DC80-U+DCFF

QTextCodec* utf8()
{
    static QTextCodec* const codec = QTextCodec::codecForMib(106);
    return codec;
}

void appendCodePoint(QString& out, uint cp)
{
    if (cp >= 0x10000) {
        out += QChar(QChar::highSurrogate(cp));
        out += QChar(QChar::lowSurrogate(cp));
    } else {
        out += QChar(ushort(cp));
    }
}

void appendUtf8(QByteArray& out, uint cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

QByteArray FileNameCodec::name() const
{
    return QByteArrayLiteral("UTF-8 keeping every byte");
}

int FileNameCodec::mibEnum() const
{
    return -106; // not UTF-8's 106, so that codecForMib(106) stays Qt's own
}

FileNameCodec* FileNameCodec::utf8KeepingBytes()
{
    static FileNameCodec* const codec = new FileNameCodec; // Qt keeps codecs until it ends
    return codec;
}

bool FileNameCodec::installForUtf8Locale()
{
    QTextCodec* current = QTextCodec::codecForLocale();
    if (!current || current->mibEnum() != 106)
        return false;
    QTextCodec::setCodecForLocale(utf8KeepingBytes());
    return true;
}

QString FileNameCodec::forMatching(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= escapeBase + 0x80 && c.unicode() <= escapeBase + 0xFF) {
            const uint cp = 0x10FF00 + (c.unicode() - escapeBase);
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += c;
        }
    }
    return out;
}

QString FileNameCodec::convertToUnicode(const char* in, int length, ConverterState* state) const
{
    // Valid UTF-8, nearly all text, goes through Qt's fast decoder.
    if (!state || state->remainingChars == 0) {
        ConverterState plain(IgnoreHeader);
        QString text = utf8()->toUnicode(in, length, &plain);
        if (plain.invalidChars == 0 && plain.remainingChars == 0)
            return text;
    }
    // A sequence cut by the end of a chunk waits in the state for the next.
    QByteArray bytes;
    if (state && state->remainingChars > 0) {
        for (int k = 0; k < state->remainingChars; ++k)
            bytes += char(state->state_data[k]);
        state->remainingChars = 0;
    }
    bytes.append(in, length);
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const int n = bytes.size();
    QString out;
    out.reserve(n);
    int i = 0;
    while (i < n) {
        const uchar lead = b[i];
        if (lead < 0x80) { // runs of ASCII, most of any text, in one piece
            int j = i + 1;
            while (j < n && b[j] < 0x80)
                ++j;
            out += QLatin1String(reinterpret_cast<const char*>(b + i), j - i);
            i = j;
            continue;
        }
        int need = 0;
        uint cp = 0;
        uint least = 0;
        if ((lead & 0xE0) == 0xC0) {
            need = 1, cp = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            need = 2, cp = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
            need = 3, cp = lead & 0x07, least = 0x10000;
        }
        int k = 1;
        bool broken = need == 0;
        for (; !broken && k <= need && i + k < n; ++k) {
            if ((b[i + k] & 0xC0) != 0x80)
                broken = true;
            else
                cp = (cp << 6) | (b[i + k] & 0x3F);
        }
        if (!broken && k <= need) { // the input ends inside the sequence
            if (state && n - i <= 3) {
                state->remainingChars = n - i;
                for (int j = 0; j < n - i; ++j)
                    state->state_data[j] = b[i + j];
                break;
            }
            broken = true;
        }
        if (broken || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += QChar(ushort(escapeBase + lead));
            ++i;
            continue;
        }
        appendCodePoint(out, cp);
        i += need + 1;
    }
    return out;
}

QByteArray FileNameCodec::convertFromUnicode(const QChar* in, int length, ConverterState* state) const
{
    if (!state || state->remainingChars == 0) {
        ConverterState plain(IgnoreHeader);
        QByteArray bytes = utf8()->fromUnicode(in, length, &plain);
        if (plain.invalidChars == 0 && plain.remainingChars == 0)
            return bytes;
    }
    QByteArray out;
    out.reserve(length);
    ushort high = 0; // a high surrogate waiting for its low half
    if (state && state->remainingChars == 1) {
        high = ushort(state->state_data[0]);
        state->remainingChars = 0;
    }
    const char replacement = '?'; // as Qt's codecs write what they cannot encode
    for (int i = 0; i < length; ++i) {
        const ushort c = in[i].unicode();
        if (c < 0x80 && !high) {
            out += char(c);
            continue;
        }
        if (high) {
            const ushort h = high;
            high = 0;
            if (QChar::isLowSurrogate(c)) {
                appendUtf8(out, QChar::surrogateToUcs4(h, c));
                continue;
            }
            out += replacement;
            if (state)
                ++state->invalidChars;
        }
        if (QChar::isHighSurrogate(c)) {
            high = c;
        } else if (QChar::isLowSurrogate(c)) {
            if (c >= escapeBase + 0x80 && c <= escapeBase + 0xFF) {
                out += char(c - escapeBase);
            } else {
                out += replacement;
                if (state)
                    ++state->invalidChars;
            }
        } else {
            appendUtf8(out, c);
        }
    }
    if (high) {
        if (state) {
            state->remainingChars = 1;
            state->state_data[0] = high;
        } else {
            out += replacement;
        }
    }
    return out;
}
