// The viewer's web engine comes from a library loaded when the first document is shown: a library
// that is missing or does not load is refused with its reason, and the viewer then says in the
// document's place that it cannot show documents, without a crash.
#include "EngineFlags.h"
#include "HtmlViewer.h"
#include "Localization.h"
#include "TestSupport.h"
#include "TextFormat.h"
#include "ViewerEngineLoader.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using kelvo::test::writeFile;
namespace engine = kelvo::viewerengine;

namespace {

QString builtEngineFolder()
{
    return QDir(qEnvironmentVariable("KELVO_BINARY_DIR")).filePath(QStringLiteral("lib/kelvo"));
}

} // namespace

class TestViewerEngine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_empty.isValid());
        // Every viewer of this suite looks for the engine where there is none.
        engine::setSearchFolders({ m_empty.path() });
    }

    void loadsOnlyTheEngineLibrary_data()
    {
        QTest::addColumn<QByteArray>("fileBytes"); // empty: no file at all
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << false << QString::fromLatin1(engine::FileName);
        QTest::newRow("not a library") << QByteArrayLiteral("not a library") << false
                                       << QString::fromLatin1(engine::FileName);
        QTest::newRow("the build's own library") << QByteArrayLiteral("copy") << true << QString();
    }

    void loadsOnlyTheEngineLibrary()
    {
        QFETCH(QByteArray, fileBytes);
        QFETCH(bool, loads);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString target = QDir(dir.path()).filePath(QString::fromLatin1(engine::FileName));
        if (fileBytes == "copy")
            QVERIFY(QFile::copy(QDir(builtEngineFolder()).filePath(QString::fromLatin1(engine::FileName)), target));
        else if (!fileBytes.isEmpty())
            writeFile(QDir(dir.path()), QString::fromLatin1(engine::FileName), fileBytes);

        const engine::LoadedEngine loaded = engine::loadFrom({ m_empty.path(), dir.path() });
        QCOMPARE(loaded.create != nullptr, loads);
        if (loads) {
            QCOMPARE(loaded.path, target);
            QVERIFY(loaded.error.isEmpty());
        } else {
            QVERIFY2(loaded.error.contains(reason), qPrintable(loaded.error));
        }
    }

    void searchesBesideTheProgram()
    {
        // The test programs, like the player, sit one folder below the build tree's lib/kelvo.
        QVERIFY2(engine::searchFolders().contains(QDir::cleanPath(builtEngineFolder())),
            qPrintable(engine::searchFolders().join(u' ')));
    }

    void viewerWithoutEngineSaysSo()
    {
        QWidget window;
        window.resize(400, 300);
        auto *viewer = new THtmlViewer(&window);
        viewer->resize(400, 300);
        window.show();
        QSignalSpy finished(viewer, &THtmlViewer::loadFinished);
        // The engine's flags, put into the environment for an engine that never comes, are taken
        // out again for the programs Kelvo starts.
        qunsetenv(kelvo::engineflags::Variable);
        kelvo::engineflags::apply();
        QVERIFY(qEnvironmentVariableIsSet(kelvo::engineflags::Variable));

        viewer->LoadFromString(QByteArrayLiteral("<html><body>text</body></html>"));
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.constLast().constFirst().toBool(), false);
        QVERIFY(!qEnvironmentVariableIsSet(kelvo::engineflags::Variable));
        const auto *message = viewer->findChild<QLabel *>();
        QVERIFY(message);
        QVERIFY(message->isVisible());
        QCOMPARE(message->text(), kelvo::format(Texts::ViewerEngineMissing, { QString::fromLatin1(engine::FileName) }));
        QVERIFY(!viewer->engineStarted());
        QVERIFY(!viewer->page());
        QVERIFY(!viewer->view());

        // The rest of the viewer answers as for a document without links, and a second document
        // neither adds another message nor crashes.
        QVERIFY(!viewer->showsLinkedPage());
        viewer->goBack();
        viewer->backToDocument();
        viewer->LoadFromString(QByteArrayLiteral("<html><body>more</body></html>"));
        QVERIFY(finished.wait(5000));
        QCOMPARE(viewer->findChildren<QLabel *>().size(), 1);
    }

private:
    QTemporaryDir m_empty;
};

QTEST_MAIN(TestViewerEngine)
#include "tst_viewerengine.moc"
