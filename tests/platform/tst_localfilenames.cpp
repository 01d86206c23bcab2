#include "FolderHandle.h"
#include "LocalFileNames.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvo;

class TestLocalFileNames final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void fileWhoseNameIsNoUtf8Opens();
};

void TestLocalFileNames::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name"); // empty: the bytes are no UTF-8, any text will do

    QTest::newRow("nominal: ASCII") << QByteArray("/tmp/data.lwz") << QStringLiteral("/tmp/data.lwz");
    QTest::newRow("nominal: UTF-8 Cyrillic")
        << QStringLiteral("/tmp/Пример.lwz").toUtf8() << QStringLiteral("/tmp/Пример.lwz");
    QTest::newRow("nominal: outside the basic plane")
        << QStringLiteral("a\U0001F600.lwz").toUtf8() << QStringLiteral("a\U0001F600.lwz");
    QTest::newRow("robustness: Windows-1251") << QByteArray("/tmp/\xCF\xF0\xE8\xEC\xE5\xF0.lwz") << QString();
    QTest::newRow("robustness: a cut sequence at the end") << QByteArray("a\xD0") << QString();
    QTest::newRow("robustness: an overlong slash") << QByteArray("a\xC0\xAF.lwz") << QString();
    QTest::newRow("robustness: an encoded surrogate") << QByteArray("a\xED\xB2\x80") << QString();
    QTest::newRow("robustness: valid and invalid mixed") << QByteArray("\xD0\x9F\xFF\xD0\x9F") << QString();
}

void TestLocalFileNames::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    const QString decoded = decodeLocalFileName(bytes);
    if (!name.isEmpty())
        QCOMPARE(decoded, name);
    QCOMPARE(encodeLocalFileName(decoded), bytes);
}

void TestLocalFileNames::fileWhoseNameIsNoUtf8Opens()
{
    const QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + "/\xCF\xF0\xE8\xEC\xE5\xF0.lwz";
    const int file = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    QVERIFY(file >= 0);
    QCOMPARE(::write(file, "PK", 2), ssize_t(2));
    ::close(file);
    const FileDescriptor opened = openRegularFileForReading(decodeLocalFileName(path));
    QVERIFY(opened.isValid());
    QCOMPARE(readFileStart(opened.get(), 2), QByteArray("PK"));
    // Qt's own conversion loses the name.
    QVERIFY(!openRegularFileForReading(QFile::decodeName(path)).isValid());
}

QTEST_GUILESS_MAIN(TestLocalFileNames)
#include "tst_localfilenames.moc"
