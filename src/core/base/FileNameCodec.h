#pragma once

#include <QTextCodec>

// UTF-8 that keeps every byte. Qt turns the bytes of a file name that are
// not valid UTF-8 into U+FFFD, so such a name can be listed but never opened
// again. This codec carries each such byte b as the lone surrogate
// U+DC00 + b and writes it back as b, so names round-trip exactly; valid
// UTF-8 decodes and encodes as with Qt's own codec.
class FileNameCodec final : public QTextCodec
{
public:
    QByteArray name() const override;
    int mibEnum() const override;

    // Makes it the locale's codec (used for file names, arguments and
    // default text streams) when the locale's own is UTF-8; other locales
    // keep theirs, which already map every byte. Returns whether it did.
    static bool installForUtf8Locale();

    // The one instance, for text that is UTF-8 but may name such files
    // (scripts), whatever the locale.
    static FileNameCodec* utf8KeepingBytes();

    // `text` for a regular expression: the engine refuses lone surrogates
    // (it matches nothing), so each kept byte U+DC80-U+DCFF becomes the
    // private-use character U+10FF80-U+10FFFF. For matching only.
    static QString forMatching(const QString& text);

protected:
    QString convertToUnicode(const char* in, int length, ConverterState* state) const override;
    QByteArray convertFromUnicode(const QChar* in, int length, ConverterState* state) const override;
};
