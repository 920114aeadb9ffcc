// File names are bytes; the codec must give back every byte it was given,
// in one piece or fed in chunks, and read valid UTF-8 exactly as Qt does.

#include "base/FileNameCodec.h"

#include <QTextDecoder>
#include <QtTest>

class TestFileNameCodec : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void keptBytesBesideValidText();
    void unencodable_data();
    void unencodable();

private:
    FileNameCodec* m_codec = new FileNameCodec; // Qt keeps codecs until it ends
};

void TestFileNameCodec::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid"); // and read as Qt reads it
    QTest::newRow("ascii") << QByteArray("image_0001.tif") << true;
    QTest::newRow("two to four bytes") << QByteArray("b\xc3\xa9t\xe2\x82\xac\xf0\x9f\x98\x80.tif") << true;
    QTest::newRow("latin-1 bytes") << QByteArray("b\xe9t\xe9.tif") << false;
    QTest::newRow("lone continuation") << QByteArray("a\x80\xbf") << false;
    QTest::newRow("cut at the end") << QByteArray("x\xe2\x82") << false;
    QTest::newRow("cut before ascii") << QByteArray("\xf0\x9f" "a") << false;
    QTest::newRow("overlong") << QByteArray("\xc0\xaf\xe0\x80\xaf") << false;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80\xed\xb2\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("bytes never in UTF-8") << QByteArray("\xf5\xfe\xff") << false;
    // Qt drops a leading byte-order mark; in a name it is part of the name.
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbfname") << false;
}

void TestFileNameCodec::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const QString text = m_codec->toUnicode(bytes);
    QCOMPARE(m_codec->fromUnicode(text), bytes);
    if (valid)
        QCOMPARE(text, QString::fromUtf8(bytes));
    else
        QVERIFY(!text.contains(QChar::ReplacementCharacter));

    // A stream fed in two chunks decodes as one piece fed at once.
    QTextDecoder whole(m_codec);
    const QString expected = whole.toUnicode(bytes);
    for (int cut = 0; cut <= bytes.size(); ++cut) {
        QTextDecoder chunks(m_codec);
        QString got = chunks.toUnicode(bytes.left(cut));
        got += chunks.toUnicode(bytes.mid(cut));
        QCOMPARE(got, expected);
    }
}

void TestFileNameCodec::keptBytesBesideValidText()
{
    const QString expected = QString::fromUtf8("\xc3\xa9") + QChar(0xDCFF) + QString::fromUtf8("\xe2\x82\xac");
    QCOMPARE(m_codec->toUnicode("\xc3\xa9\xff\xe2\x82\xac"), expected);
}

void TestFileNameCodec::unencodable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + "a" << QByteArray("?a");
    QTest::newRow("low surrogate outside the escapes") << QString(QChar(0xDC10)) << QByteArray("?");
    QTest::newRow("pair") << QString::fromUtf8("\xf0\x9f\x98\x80") << QByteArray("\xf0\x9f\x98\x80");
}

// What cannot be written is written as '?', as Qt's own codecs do.
void TestFileNameCodec::unencodable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(m_codec->fromUnicode(text), bytes);
}

QTEST_GUILESS_MAIN(TestFileNameCodec)
#include "tst_filenamecodec.moc"
