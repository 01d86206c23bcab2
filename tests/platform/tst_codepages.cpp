#include "CodePages.h"

#include <QProcess>
#include <QTest>

using namespace kelvo;

class TestCodePages final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesAgreeWithIconv_data();
    void tablesAgreeWithIconv();
    void windows1251RoundTrip();
    void htmlEncodingKeepsWhatTheCodePageLacks_data();
    void htmlEncodingKeepsWhatTheCodePageLacks();
    void dataTextDecoding_data();
    void dataTextDecoding();
    void utf8Validation_data();
    void utf8Validation();
};

void TestCodePages::tablesAgreeWithIconv_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::newRow("Windows-1251") << "CP1251";
    QTest::newRow("CP866") << "CP866";
}

void TestCodePages::tablesAgreeWithIconv()
{
    QFETCH(QString, codePage);
    QByteArray upper;
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (codePage == u"CP1251" && b == 0x98)
            continue; // undefined in Windows-1251; iconv refuses it
        upper.append(char(b));
    }
    QProcess iconv;
    iconv.start(
        QStringLiteral("iconv"), { QStringLiteral("-f"), codePage, QStringLiteral("-t"), QStringLiteral("UTF-8") });
    if (!iconv.waitForStarted())
        QSKIP("iconv is not available");
    iconv.write(upper);
    iconv.closeWriteChannel();
    QVERIFY(iconv.waitForFinished());
    const QString expected = QString::fromUtf8(iconv.readAllStandardOutput());
    const QString ours = codePage == u"CP866" ? decodeCp866(upper) : decodeWindows1251(upper);
    QCOMPARE(ours, expected);
}

void TestCodePages::windows1251RoundTrip()
{
    QByteArray all;
    for (int b = 0; b <= 0xFF; ++b)
        all.append(char(b));
    bool lossless = false;
    QCOMPARE(encodeWindows1251(decodeWindows1251(all), &lossless), all);
    QVERIFY(lossless);
    QCOMPARE(encodeWindows1251(u"Ω", &lossless), QByteArray("?"));
    QVERIFY(!lossless);
}

void TestCodePages::htmlEncodingKeepsWhatTheCodePageLacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("letters, a sign and a pair of surrogates")
        << QStringLiteral("Ом Ω 😀") << QByteArray("\xCE\xEC &#937; &#128512;");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("a reference first and last") << QStringLiteral("ΩаΩ") << QByteArray("&#937;\xE0&#937;");
    // Each character takes six bytes: the page outgrows one byte a character many times over.
    QTest::newRow("nothing but references") << QString(300, QChar(0x3A9)) << QByteArray("&#937;").repeated(300);
    QTest::newRow("surrogates without their pair")
        << (QString(QChar(0xD83D)) + u'a' + QChar(0xDE00) + QChar(0xD83D)) << QByteArray("&#55357;a&#56832;&#55357;");
}

void TestCodePages::htmlEncodingKeepsWhatTheCodePageLacks()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeWindows1251ForHtml(text), bytes);
}

void TestCodePages::dataTextDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("Windows-1251") << QByteArray("\xC7\xE0\xEA\xEE\xED \xB9") << QStringLiteral("Закон №");
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xEF\xBB\xBF\xD0\x97") << QStringLiteral("З");
    QTest::newRow("UTF-8 without byte order mark") << QStringLiteral("Закон №").toUtf8() << QStringLiteral("Закон №");
    QTest::newRow("UTF-16LE with byte order mark (Notepad's Unicode)")
        << QByteArray("\xFF\xFE\x17\x04\x0A\x00", 6) << QStringLiteral("З\n");
    QTest::newRow("UTF-16BE with byte order mark") << QByteArray("\xFE\xFF\x04\x17", 4) << QStringLiteral("З");
    QTest::newRow("ASCII") << QByteArray("plain") << QStringLiteral("plain");
    QTest::newRow("Windows-1251 that looks almost like UTF-8") << QByteArray("\xD0\xB0\xD0") << QStringLiteral("Р°Р");
}

void TestCodePages::dataTextDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeDataText(bytes), text);
}

void TestCodePages::utf8Validation_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    QTest::newRow("two-byte") << QByteArray("\xD0\x97") << true;
    QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("truncated at the end") << QByteArray("a\xD0") << false;
    QTest::newRow("overlong") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("lone continuation") << QByteArray("\x80") << false;
}

void TestCodePages::utf8Validation()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(isValidUtf8(bytes), valid);
}

QTEST_GUILESS_MAIN(TestCodePages)
#include "tst_codepages.moc"
