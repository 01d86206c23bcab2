#include "IniFile.h"
#include "RuntimeErrors.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvo::test;

class TestIniFile final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("file.ini"))
    {
        return writeFile(QDir(m_dir.path()), name, bytes);
    }

private Q_SLOTS:
    void readString_data();
    void readString();
    void decoding_data();
    void decoding();
    void missingOrUnusableFileReadsAsEmpty();
    void sectionNamesInFileOrder();
    void nameListsStopAtTheirByteLimit();
    void numbersAndBooleans_data();
    void numbersAndBooleans();
    void oversizedFileIsRefused();
};

void TestIniFile::readString_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString fallback = QStringLiteral("<default>");
    QTest::newRow("nominal: plain value") << QByteArray("[S]\r\nKey=value\r\n") << "S"
                                          << "Key"
                                          << "value";
    QTest::newRow("nominal: names ignore case") << QByteArray("[Header]\nTITLE=x\n") << "header"
                                                << "title"
                                                << "x";
    QTest::newRow("nominal: Cyrillic names ignore case")
        << windowsText(QStringLiteral("[Раздел]\nКлюч=да\n")) << QStringLiteral("РАЗДЕЛ") << QStringLiteral("ключ")
        << QStringLiteral("да");
    QTest::newRow("nominal: blanks around key and value trimmed") << QByteArray("[S]\n  Key \t=  a b \t\n") << "S"
                                                                  << "Key"
                                                                  << "a b";
    QTest::newRow("nominal: value keeps later equals signs") << QByteArray("[S]\nK=a=b\n") << "S"
                                                             << "K"
                                                             << "a=b";
    QTest::newRow("nominal: empty value is empty, not the default") << QByteArray("[S]\nK=\n") << "S"
                                                                    << "K"
                                                                    << "";
    QTest::newRow("nominal: double quotes removed") << QByteArray("[S]\nK=\" a \"\n") << "S"
                                                    << "K"
                                                    << " a ";
    QTest::newRow("nominal: single quotes removed") << QByteArray("[S]\nK='b'\n") << "S"
                                                    << "K"
                                                    << "b";
    QTest::newRow("nominal: unmatched quotes kept") << QByteArray("[S]\nK=\"b'\n") << "S"
                                                    << "K"
                                                    << "\"b'";
    QTest::newRow("nominal: a lone quote kept") << QByteArray("[S]\nK=\"\n") << "S"
                                                << "K"
                                                << "\"";
    QTest::newRow("nominal: first key of a name wins") << QByteArray("[S]\nK=1\nk=2\n") << "S"
                                                       << "K"
                                                       << "1";
    QTest::newRow("nominal: first section of a name wins") << QByteArray("[S]\nA=1\n[s]\nA=2\nB=3\n") << "S"
                                                           << "B" << fallback;
    QTest::newRow("nominal: section header closes at its last bracket") << QByteArray("[a]b] trailing\nK=v\n") << "a]b"
                                                                        << "K"
                                                                        << "v";
    QTest::newRow("nominal: indented section header") << QByteArray("  [S]\nK=v\n") << "S"
                                                      << "K"
                                                      << "v";
    QTest::newRow("robustness: missing key gives default") << QByteArray("[S]\nK=v\n") << "S"
                                                           << "X" << fallback;
    QTest::newRow("robustness: missing section gives default") << QByteArray("[S]\nK=v\n") << "T"
                                                               << "K" << fallback;
    QTest::newRow("robustness: line without equals is no key") << QByteArray("[S]\nK\n") << "S"
                                                               << "K" << fallback;
    QTest::newRow("robustness: comment line is no key") << QByteArray("[S]\n;K=v\n") << "S"
                                                        << ";K" << fallback;
    QTest::newRow("robustness: keys before any section belong to none") << QByteArray("K=v\n[S]\n") << "S"
                                                                        << "K" << fallback;
    QTest::newRow("robustness: header without closing bracket is no section")
        << QByteArray("[S]\nA=1\n[T\nB=2\n") << "S"
        << "[T" << fallback;
    QTest::newRow("robustness: value cut at 2047 characters")
        << (QByteArray("[S]\nK=") + QByteArray(3000, 'x') + "\n") << "S"
        << "K" << QString(2047, QLatin1Char('x'));
    QTest::newRow("robustness: NUL byte is an ordinary character") << QByteArray("[S]\nK=a\0b\n", 10) << "S"
                                                                   << "K" << QString::fromLatin1("a\0b", 3);
}

void TestIniFile::readString()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const TIniFile ini(write(content));
    QCOMPARE(ini.ReadString(section, key, QStringLiteral("<default>")), expected);
}

void TestIniFile::decoding_data()
{
    QTest::addColumn<QByteArray>("content");

    const QString text = QStringLiteral("[Заголовок]\nНазвание=Закон Ома «I = U/R» №1\n");
    QTest::newRow("Windows-1251, CR LF") << windowsText(text);
    QTest::newRow("UTF-8 after a byte order mark") << (QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    QTest::newRow("UTF-8 without byte order mark") << text.toUtf8();
    QTest::newRow("Windows-1251, bare CR line ends") << windowsText(text).replace("\r\n", "\r");
    QTest::newRow("Windows-1251, LF line ends") << windowsText(text).replace("\r\n", "\n");
}

void TestIniFile::decoding()
{
    QFETCH(QByteArray, content);
    const TIniFile ini(write(content));
    QCOMPARE(ini.ReadString(QStringLiteral("заголовок"), QStringLiteral("НАЗВАНИЕ"), {}),
        QStringLiteral("Закон Ома «I = U/R» №1"));
}

void TestIniFile::missingOrUnusableFileReadsAsEmpty()
{
    for (const QString &path : { m_dir.filePath(QStringLiteral("absent.ini")), m_dir.path() }) {
        const TIniFile ini(path);
        QVERIFY(ini.ReadSections().isEmpty());
        QCOMPARE(ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), 7), 7);
    }
}

void TestIniFile::sectionNamesInFileOrder()
{
    const TIniFile ini(write("[B]\nk1=1\nk2\n;c=1\nK3=3\n[Header]\n[A]\n[b]\n"));
    QCOMPARE(ini.ReadSections(), (QStringList { "B", "Header", "A", "b" }));
    QCOMPARE(ini.ReadSection(QStringLiteral("b")), (QStringList { "k1", "K3" }));
    QVERIFY(ini.ReadSection(QStringLiteral("none")).isEmpty());
    QVERIFY(ini.SectionExists(QStringLiteral("a")));
    QVERIFY(ini.ValueExists(QStringLiteral("B"), QStringLiteral("k3")));
    QVERIFY(!ini.ValueExists(QStringLiteral("B"), QStringLiteral("k2")));
}

void TestIniFile::nameListsStopAtTheirByteLimit()
{
    // 16384 bytes hold the names, one terminating byte each, and one closing byte. 163 names of
    // 99 characters take 16300 bytes and leave 83: a name of 81 characters still fits whole,
    // one of 82 would be cut and is therefore no name; nothing after it is seen either.
    auto names = [](int lastLength) {
        QList<QByteArray> list;
        for (int i = 0; i < 163; ++i)
            list.append(QByteArray::number(1000 + i) + QByteArray(95, 'n'));
        list.append(QByteArray(lastLength, 'x'));
        list.append("after");
        return list;
    };
    auto sections = [&](int lastLength) {
        QByteArray content;
        for (const QByteArray &name : names(lastLength))
            content += '[' + name + "]\n";
        return TIniFile(write(content)).ReadSections();
    };
    auto keys = [&](int lastLength) {
        QByteArray content = "[S]\n";
        for (const QByteArray &name : names(lastLength))
            content += name + "=v\n";
        return TIniFile(write(content)).ReadSection(QStringLiteral("S"));
    };
    for (const QStringList &list : { sections(81), keys(81) }) {
        QCOMPARE(list.size(), 164);
        QCOMPARE(list.last(), QString(81, QLatin1Char('x')));
    }
    for (const QStringList &list : { sections(82), keys(82) }) {
        QCOMPARE(list.size(), 163);
        QVERIFY(list.last().startsWith(QLatin1String("1162")));
    }
}

void TestIniFile::numbersAndBooleans_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("boolean");
    QTest::addColumn<double>("russianFloat");
    QTest::addColumn<double>("englishFloat");

    // Defaults: integer -1, boolean false, floats -9.
    QTest::newRow("nominal: decimal") << QByteArray("12") << 12 << true << 12.0 << 12.0;
    QTest::newRow("nominal: zero") << QByteArray("0") << 0 << false << 0.0 << 0.0;
    QTest::newRow("nominal: hexadecimal after $") << QByteArray("$1F") << 31 << true << -9.0 << -9.0;
    QTest::newRow("nominal: comma decimal") << QByteArray("2,5") << -1 << false << 2.5 << -9.0;
    QTest::newRow("nominal: point decimal") << QByteArray("2.5") << -1 << false << -9.0 << 2.5;
    QTest::newRow("robustness: a word") << QByteArray("yes") << -1 << false << -9.0 << -9.0;
    QTest::newRow("robustness: quoted number") << QByteArray("\"7\"") << 7 << true << 7.0 << 7.0;
}

void TestIniFile::numbersAndBooleans()
{
    QFETCH(QByteArray, value);
    QFETCH(int, integer);
    QFETCH(bool, boolean);
    QFETCH(double, russianFloat);
    QFETCH(double, englishFloat);
    const TIniFile ini(write("[S]\nK=" + value + "\n"));
    const QString s = QStringLiteral("S");
    const QString k = QStringLiteral("K");
    QCOMPARE(ini.ReadInteger(s, k, -1), integer);
    QCOMPARE(ini.ReadBool(s, k, false), boolean);
    QCOMPARE(ini.ReadFloat(s, k, -9, russian()), russianFloat);
    QCOMPARE(ini.ReadFloat(s, k, -9, english()), englishFloat);
}

void TestIniFile::oversizedFileIsRefused()
{
    QFile file(m_dir.filePath(QStringLiteral("huge.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(65ll * 1024 * 1024)); // sparse: cheap on disk
    file.close();
    QVERIFY_THROWS_EXCEPTION(EReadError, TIniFile(file.fileName()));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
