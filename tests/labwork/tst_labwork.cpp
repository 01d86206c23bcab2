#include "CodePages.h"
#include "ExperimentChapter.h"
#include "InfoChapter.h"
#include "IniFile.h"
#include "LabWork.h"
#include "RuntimeErrors.h"
#include "SchemaFiles.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kelvo::test;

namespace {

// A descriptor whose chapter sections are given as (section, type, identifier, required).
QByteArray descriptor(
    const QList<std::array<const char *, 4>> &chapters, const QByteArray &header = "[Header]\nTitle=Lab\n")
{
    QByteArray text = header;
    for (const auto &[section, type, identifier, required] : chapters) {
        text += QByteArray("[") + section + "]\nType=" + type + "\nTitle=" + section + "\n";
        if (*identifier)
            text += QByteArray("Identifier=") + identifier + "\n";
        if (*required)
            text += QByteArray("RequiredChapters=") + required + "\n";
    }
    return text;
}

} // namespace

class TestLabWork final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<TLabWork> load(const QByteArray &content)
    {
        return std::make_unique<TLabWork>(writeFile(QDir(m_dir.path()), QStringLiteral("labwork.lbw"), content));
    }

private Q_SLOTS:
    void headerAndChapterKinds();
    void sectionsWithoutAKnownTypeGiveNoChapter();
    void withoutHeaderEverySectionIsACandidate();
    void missingDescriptorRaisesTheFileOpenError();
    void fileThatIsNoDescriptorIsRefused_data();
    void fileThatIsNoDescriptorIsRefused();
    void strayNulBytesAreReadLikeAnyOther_data();
    void strayNulBytesAreReadLikeAnyOther();
    void oneSchemaFileIsReadOncePerLoad();
    void schemaFilesOfOneLoadAreBounded();
    void identifiers_data();
    void identifiers();
    void requiredChapters_data();
    void requiredChapters();
    void accessRule();
    void selection();
    void documentPage_data();
    void documentPage();
    void documentFormFollowsTheDocumentsCharset_data();
    void documentFormFollowsTheDocumentsCharset();
    void documentErrors();
};

void TestLabWork::headerAndChapterKinds()
{
    const auto lab = load(
        windowsText(QStringLiteral("[Info]\nType=Information\nTitle=Введение\nDocument=intro.htm\n"
                                   "[header]\nTitle=Закон Ома\nAuthor=Иванов\nDescription=Описание\n"
                                   "[Exam]\nType=Examination\nTitle=Контроль\n[Lab]\nType=Experiment\nTitle=Опыт\n")));
    QCOMPARE(lab->Title, QStringLiteral("Закон Ома"));
    QCOMPARE(lab->Author, QStringLiteral("Иванов"));
    QCOMPARE(lab->Description, QStringLiteral("Описание"));
    QCOMPARE(lab->CurrentIndex, -1);
    QCOMPARE(lab->ReturnIndex, -1);
    QCOMPARE(lab->Chapters().Count(), 3);
    const QStringList classes { "TInfoChapter", "TTaskChapter", "TExperimentChapter" };
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(lab->Chapters().Items(i)->ClassName(), classes[i]);
        QVERIFY(!lab->Chapters().Items(i)->Passed);
    }
    QCOMPARE(lab->Chapters().Items(0)->Title, QStringLiteral("Введение"));
    QCOMPARE(static_cast<TInfoChapter *>(lab->Chapters().Items(0))->Document, QStringLiteral("intro.htm"));
    QVERIFY_THROWS_EXCEPTION(EListError, lab->Chapters().Items(3));
}

void TestLabWork::sectionsWithoutAKnownTypeGiveNoChapter()
{
    const auto lab = load("[Header]\nTitle=T\n[a]\nType=information\n[b]\nTitle=x\n[c]\nType= Information \n"
                          "[d]\nType=Experiments\n[Header]\nType=Information\n");
    // "c" is trimmed by the reader and counts; the second "Header" section is a chapter
    // candidate, but its keys are read from the first section of that name.
    QCOMPARE(lab->Chapters().Count(), 1);
    QCOMPARE(lab->Chapters().Items(0)->SectionName, QStringLiteral("c"));
    QCOMPARE(load("[Header]\nTitle=Only\n")->Chapters().Count(), 0);
}

void TestLabWork::withoutHeaderEverySectionIsACandidate()
{
    const auto lab = load("[One]\nType=Information\n[Two]\nType=Information\nTitle=Second\n");
    QCOMPARE(lab->Title, QStringLiteral("* Error reading chapter *"));
    QCOMPARE(lab->Author, QString());
    QCOMPARE(lab->Chapters().Count(), 2);
    QCOMPARE(lab->Chapters().Items(0)->Title, QStringLiteral("* Error reading chapter *"));
    QCOMPARE(lab->Chapters().Items(1)->Title, QStringLiteral("Second"));
}

void TestLabWork::missingDescriptorRaisesTheFileOpenError()
{
    const QString path = m_dir.filePath(QStringLiteral("absent.lbw"));
    try {
        TLabWork lab(path);
        QFAIL("no error raised");
    } catch (const EFOpenError &error) {
        QCOMPARE(
            error.message(), QStringLiteral("TLabWork.Create: File not found (\".\\") + path + QStringLiteral("\")."));
    }
    QVERIFY_THROWS_EXCEPTION(EFOpenError, TLabWork(m_dir.path())); // a folder is no file
}

void TestLabWork::fileThatIsNoDescriptorIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text without sections") << QByteArray("Title=x\nsome words\n");
    QTest::newRow("binary without a section") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01[\0", 21);
    QTest::newRow("one huge line") << QByteArray(4 * 1024 * 1024, 'x');
}

void TestLabWork::fileThatIsNoDescriptorIsRefused()
{
    QFETCH(QByteArray, content);
    QVERIFY_THROWS_EXCEPTION(EReadError, load(content));
}

void TestLabWork::strayNulBytesAreReadLikeAnyOther_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("chapters");

    const QByteArray chapter = "[intro]\nType=Information\nTitle=Intro\n";
    QTest::newRow("in a value") << QByteArray("[Header]\nTitle=a\0b\n", 19) + chapter << QString::fromLatin1("a\0b", 3)
                                << 1;
    QTest::newRow("in a comment") << QByteArray("; saved\0\n[Header]\nTitle=t\n", 26) + chapter << "t" << 1;
    QTest::newRow("at the very end") << "[Header]\nTitle=t\n" + chapter + QByteArray(1, '\0') << "t" << 1;
    QTest::newRow("before the first section")
        << QByteArray("\x89PNG\0\0\n[Header]\nTitle=x\n", 24) + chapter << "x" << 1;
}

void TestLabWork::strayNulBytesAreReadLikeAnyOther()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    QFETCH(int, chapters);
    const std::unique_ptr<TLabWork> lab = load(content);
    QCOMPARE(lab->Title, title);
    QCOMPARE(lab->Chapters().Count(), chapters);
}

void TestLabWork::oneSchemaFileIsReadOncePerLoad()
{
    const QTemporaryDir dir;
    const CurrentDirectory inLab(dir.path());
    writeFile(QDir(dir.path()), QStringLiteral("lamp.ini"),
        "[SchemaHeader]\nTitle=Lamp\nImageFile=lamp.bmp\n[V1]\nClass=Measurement\n");
    writeFile(QDir(dir.path()), QStringLiteral("other.ini"), "[SchemaHeader]\nTitle=Other\n");
    QByteArray descriptor = "[Header]\nTitle=t\n";
    for (const char *name : { "lamp.ini", "LAMP.INI", ".\\lamp.ini", "other.ini", "absent.ini", "gone.ini" })
        descriptor += "[" + QByteArray(name) + "]\nType=Experiment\nSchemaFile=" + name + "\n";
    const TLabWork lab(writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), descriptor));
    QCOMPARE(lab.Chapters().Count(), 6);
    const auto schemaOf = [&](int index) {
        return dynamic_cast<const TExperimentChapter &>(*lab.Chapters().Items(index)).Schema.get();
    };
    // One reader for every name of one file, each chapter with devices of its own.
    QCOMPARE(schemaOf(1), schemaOf(0));
    QCOMPARE(schemaOf(2), schemaOf(0));
    QVERIFY(schemaOf(3) != schemaOf(0));
    QCOMPARE(schemaOf(0)->ReadString(QStringLiteral("SchemaHeader"), QStringLiteral("Title"), {}), u"Lamp");
    QVERIFY(lab.Chapters().Items(0) != lab.Chapters().Items(1));
    QCOMPARE(dynamic_cast<const TExperimentChapter &>(*lab.Chapters().Items(1)).Devices.Count(), 1);
    QVERIFY(dynamic_cast<const TExperimentChapter &>(*lab.Chapters().Items(0)).Devices.Device(0)
        != dynamic_cast<const TExperimentChapter &>(*lab.Chapters().Items(1)).Devices.Device(0));
    QVERIFY(schemaOf(4)->AllSections().empty());
}

void TestLabWork::schemaFilesOfOneLoadAreBounded()
{
    // Three files of 3 MiB: the third would take the load past its bound, and reads as too large.
    const QTemporaryDir dir;
    const CurrentDirectory inLab(dir.path());
    const QByteArray schema = "[SchemaHeader]\nTitle=T\n[D]\nClass=Area\n";
    const QByteArray padding(3 * 1024 * 1024 - schema.size(), ';');
    QByteArray descriptor = "[Header]\nTitle=t\n";
    for (const char *name : { "a.ini", "b.ini", "c.ini", "a.ini" }) {
        writeFile(QDir(dir.path()), QString::fromLatin1(name), schema + padding);
        descriptor += "[" + QByteArray(name) + QByteArray::number(descriptor.size())
            + "]\nType=Experiment\nSchemaFile=" + name + "\n";
    }
    static_assert(3 * 3 * 1024 * 1024 > kelvo::SchemaFiles::MaxTotalBytes);
    static_assert(2 * 3 * 1024 * 1024 <= kelvo::SchemaFiles::MaxTotalBytes);
    const TLabWork lab(writeFile(QDir(dir.path()), QStringLiteral("labwork.lbw"), descriptor));
    QCOMPARE(lab.Chapters().Count(), 4);
    QList<bool> tooLarge;
    QList<int> devices;
    for (int i = 0; i < lab.Chapters().Count(); ++i) {
        const auto &chapter = dynamic_cast<const TExperimentChapter &>(*lab.Chapters().Items(i));
        tooLarge.append(chapter.Schema->TooLarge());
        devices.append(chapter.Devices.Count());
    }
    QCOMPARE(tooLarge, QList<bool>({ false, false, true, false }));
    QCOMPARE(devices, QList<int>({ 1, 1, 0, 1 }));
}

void TestLabWork::identifiers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("identifier");

    QTest::newRow("hexadecimal") << QByteArray("0x10") << 16;
    QTest::newRow("not a number") << QByteArray("abc") << 0;
    QTest::newRow("reduced to 8 bits") << QByteArray("300") << 44;
    QTest::newRow("negative") << QByteArray("-1") << 255;
    QTest::newRow("missing") << QByteArray() << 0;
}

void TestLabWork::identifiers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, identifier);
    const auto lab = load(descriptor({ { "c", "Information", value.constData(), "" } }));
    QCOMPARE(int(lab->Chapters().Items(0)->Identifier), identifier);
}

void TestLabWork::requiredChapters_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("list") << QByteArray("1,2,3") << QByteArray("\x01\x02\x03");
    QTest::newRow("blank after comma allowed") << QByteArray("1, 2") << QByteArray("\x01\x02");
    QTest::newRow("blank before comma spoils the entry") << QByteArray("1 ,2") << QByteArray("\x02");
    QTest::newRow("bad and empty entries skipped") << QByteArray("1,x,,3") << QByteArray("\x01\x03");
    QTest::newRow("trailing comma adds nothing") << QByteArray("1,2,") << QByteArray("\x01\x02");
    QTest::newRow("reduced to 8 bits") << QByteArray("257") << QByteArray("\x01");
    QTest::newRow("hexadecimal") << QByteArray("$10") << QByteArray("\x10");
    QTest::newRow("zero and duplicates stay") << QByteArray("0,0") << QByteArray("\x00\x00", 2);
}

void TestLabWork::requiredChapters()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, bytes);
    const auto lab = load(descriptor({ { "c", "Information", "", value.constData() } }));
    QCOMPARE(lab->Chapters().Items(0)->RequiredChapters, bytes);
}

void TestLabWork::accessRule()
{
    // 0 and 1 share identifier 5; 2 requires 5; 3 requires itself (7); 4 requires 9 (nobody);
    // 5 is an experiment (identifier 8) that 6 requires.
    const auto lab = load(descriptor({ { "a", "Information", "5", "" }, { "b", "Information", "5", "" },
        { "c", "Examination", "6", "5" }, { "d", "Information", "7", "7" }, { "e", "Information", "1", "9" },
        { "f", "Experiment", "8", "" }, { "g", "Information", "2", "8,6" } }));
    TChapterList &chapters = lab->Chapters();
    QVERIFY(!lab->CanOpen(2));
    QCOMPARE(lab->MissingChapters(2), QList<int>({ 0, 1 }));
    QCOMPARE(lab->MissingChapters(6), QList<int>({ 2, 5 }));
    chapters.Items(0)->Passed = true;
    QVERIFY2(!lab->CanOpen(2), "both chapters that carry identifier 5 must be passed");
    QCOMPARE(lab->MissingChapters(2), QList<int>({ 1 }));
    chapters.Items(1)->Passed = true;
    QVERIFY(lab->CanOpen(2));
    QCOMPARE(lab->MissingChapters(2), QList<int>());
    QVERIFY2(lab->CanOpen(3), "a chapter never blocks itself");
    QCOMPARE(lab->MissingChapters(3), QList<int>());
    QVERIFY2(lab->CanOpen(4), "an identifier nobody carries imposes nothing");
    QCOMPARE(lab->MissingChapters(4), QList<int>());
    chapters.Items(2)->Passed = true;
    QVERIFY2(!lab->CanOpen(6), "an experiment is never passed");
    QCOMPARE(lab->MissingChapters(6), QList<int>({ 5 }));
    QVERIFY(!lab->CanOpen(-1));
    QVERIFY(!lab->CanOpen(7));
    QCOMPARE(lab->MissingChapters(7), QList<int>());
}

void TestLabWork::selection()
{
    const auto lab = load(descriptor({ { "a", "Information", "1", "" }, { "b", "Information", "3", "" },
        { "c", "Information", "2", "" }, { "d", "Information", "3", "" } }));
    QCOMPARE(lab->CurrentChapter(), nullptr);
    QVERIFY(lab->SelectByIdentifier(3));
    QCOMPARE(lab->CurrentIndex, 3);
    QVERIFY(!lab->SelectByIdentifier(9));
    QCOMPARE(lab->CurrentIndex, 3);
    QVERIFY(lab->SelectChapter(0));
    QCOMPARE(lab->CurrentChapter(), lab->Chapters().Items(0));
    QVERIFY(!lab->SelectChapter(4));
    QVERIFY(!lab->SelectChapter(-1));
    QCOMPARE(lab->CurrentIndex, 0);
}

void TestLabWork::documentPage_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("page"); // "FORM" stands for the read-confirmation form

    QTest::newRow("before the closing body tag") << QByteArray("<html><body>\nText\n</body></html>")
                                                 << QByteArray("<html><body>\r\nText\r\nFORM</body></html>\r\n");
    QTest::newRow("no closing body tag: at the very top")
        << QByteArray("<p>Text</p>") << QByteArray("FORM<p>Text</p>\r\n");
    QTest::newRow("upper-case tag is not seen") << QByteArray("<P>x</BODY>") << QByteArray("FORM<P>x</BODY>\r\n");
    QTest::newRow("before the first of two")
        << QByteArray("a</body>b</body>") << QByteArray("aFORM</body>b</body>\r\n");
    QTest::newRow("line ends normalised")
        << QByteArray("a\rb\nc\r\n\r\nd") << QByteArray("FORMa\r\nb\r\nc\r\n\r\nd\r\n");
    QTest::newRow("empty document") << QByteArray() << QByteArray("FORM");
    QTest::newRow("byte order mark stays first") << QByteArray("\xEF\xBB\xBF<p>x</p>")
                                                 << QByteArray("\xEF\xBB\xBF"
                                                               "FORM<p>x</p>\r\n");
    // Notepad's "Unicode": read as text, handed on as UTF-8 with its mark.
    const QString text = QStringLiteral("<p>Ом</p>\n</body>");
    QByteArray utf16le("\xFF\xFE");
    QByteArray utf16be("\xFE\xFF");
    for (const QChar c : text) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    const QByteArray utf8Page = QByteArray("\xEF\xBB\xBF") + QStringLiteral("<p>Ом</p>\r\nFORM</body>\r\n").toUtf8();
    QTest::newRow("UTF-16 little-endian with its mark") << utf16le << utf8Page;
    QTest::newRow("UTF-16 big-endian with its mark") << utf16be << utf8Page;
}

void TestLabWork::documentPage()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, page);
    const QDir dir(m_dir.path());
    writeFile(dir, QStringLiteral("Docs/Intro.HTM"), document);
    const auto lab = load("[c]\nType=Information\nDocument=docs\\intro.htm\n");
    const CurrentDirectory inLab(m_dir.path());
    const QByteArray form = kelvo::hasUtf8ByteOrderMark(page)
        ? QStringLiteral("<div align=\"center\"><form action=\"?system\"><input type=\"submit\" "
                         "value=\"   Все прочитано, назад.   \"></form></div>")
              .toUtf8()
        : windowsText(QStringLiteral("<div align=\"center\"><form action=\"?system\"><input "
                                     "type=\"submit\" value=\"   Все прочитано, назад.   \">"
                                     "</form></div>"));
    QCOMPARE(lab->Chapters().Items(0)->GetHTML(), QByteArray(page).replace("FORM", form));
    QCOMPARE(lab->Chapters().Items(0)->CheckAnswers({ QStringLiteral("a=b") }), 0);
}

void TestLabWork::documentFormFollowsTheDocumentsCharset_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("caption"); // the button caption as it must stand in the page

    const QString caption = QStringLiteral("Все прочитано");
    QTest::newRow("Windows-1251 by default") << QByteArray("<p>\xCE\xEC</p></body>") << windowsText(caption);
    QTest::newRow("declared UTF-8") << QByteArray("<meta charset=\"UTF-8\"><p>x</p></body>") << caption.toUtf8();
    QTest::newRow("declared in http-equiv") << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                                          "charset=utf-8\"></body>")
                                            << caption.toUtf8();
    QTest::newRow("undeclared but UTF-8") << QStringLiteral("<p>Ом</p></body>").toUtf8() << caption.toUtf8();
    QTest::newRow("declared KOI8-R: character references")
        << QByteArray("<meta charset=koi8-r></body>") << QByteArray("&#1042;&#1089;&#1077; &#1087;&#1088;");
}

void TestLabWork::documentFormFollowsTheDocumentsCharset()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, caption);
    writeFile(QDir(m_dir.path()), QStringLiteral("page.htm"), document);
    const auto lab = load("[c]\nType=Information\nDocument=page.htm\n");
    const CurrentDirectory inLab(m_dir.path());
    const QByteArray page = lab->Chapters().Items(0)->GetHTML();
    QVERIFY2(page.contains(caption), page.constData());
}

void TestLabWork::documentErrors()
{
    const auto lab = load("[a]\nType=Information\nDocument=absent.htm\n[b]\nType=Information\n"
                          "[c]\nType=Information\nDocument=/etc/hostname\n");
    const CurrentDirectory inLab(m_dir.path());
    const QStringList expected { "Cannot open file ./absent.htm", "Cannot open file ./",
        "Cannot open file .//etc/hostname" };
    for (int i = 0; i < 3; ++i) {
        try {
            lab->Chapters().Items(i)->GetHTML();
            QFAIL("no error raised");
        } catch (const EFOpenError &error) {
            QCOMPARE(error.message(), expected[i]);
        }
    }
}

QTEST_GUILESS_MAIN(TestLabWork)
#include "tst_labwork.moc"
