#include "FileDigest.h"
#include "Globals.h"
#include "HtmlPage.h"
#include "LabWork.h"
#include "MainForm.h"
#include "ReportFileName.h"
#include "ResultsDlg.h"
#include "RunReportDocument.h"
#include "RunReporter.h"
#include "StudentNameDialog.h"
#include "TaskChapter.h"
#include "TestSupport.h"
#include "ToolkitTranslation.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>

using namespace kelvo;
using namespace kelvo::test;

namespace {

const QByteArray Descriptor = "[Header]\nTitle=Lab\nAuthor=A. Author\n"
                              "[Doc]\nType=Information\nTitle=Theory\nIdentifier=1\nDocument=doc.htm\n"
                              "[Quiz]\nType=Examination\nTitle=Test\nIdentifier=2\nQuestions=4\n";

// Closes every modal dialog that comes up (the results dialog after a check) with OK.
void closeModalDialogs(QObject *owner)
{
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    timer->start(20);
}

// Answers the modal dialogs that come up, one step each in turn: a step gets the dialog shown
// (a file dialog, a question, the student's name dialog) and closes it.
class ModalScript final : public QObject
{
public:
    using Step = std::function<void(QWidget *)>;

    explicit ModalScript(QList<Step> steps)
        : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            // A dialog shown again after a question is a new step.
            if (!modal || modal == m_last || m_steps.isEmpty())
                return;
            m_last = modal;
            m_seen.append(QString::fromLatin1(modal->metaObject()->className()));
            // Run from the event loop, not inside this timer's own call: a step whose dialog asks
            // a question of its own (Qt's replace question) gets that answered by the next step.
            QTimer::singleShot(0, modal, [step = m_steps.takeFirst(), modal] { step(modal); });
        });
        m_timer.start(20);
    }

    bool done() const { return m_steps.isEmpty(); }
    // The classes of the dialogs met, in order.
    const QStringList &seen() const { return m_seen; }

private:
    QList<Step> m_steps;
    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_seen;
};

// Steps of a script.
ModalScript::Step chooseFile(const QString &path, QString *startFolder = nullptr, QString *suggested = nullptr)
{
    return [=](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY2(dialog, modal->metaObject()->className());
        if (startFolder)
            *startFolder = dialog->directory().absolutePath();
        if (suggested)
            *suggested = dialog->selectedFiles().value(0);
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed as a student types a path (selectFile leaves a focused name field as it is).
        auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameField);
        nameField->setText(path);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept, protected there
    };
}

ModalScript::Step answer(QMessageBox::StandardButton button, QString *text = nullptr, bool *defaultNo = nullptr)
{
    return [=](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY2(box, modal->metaObject()->className());
        if (text)
            *text = box->text();
        if (defaultNo)
            *defaultNo = box->defaultButton() && box->defaultButton() == box->button(QMessageBox::No);
        QAbstractButton *pressed = box->button(button);
        QVERIFY(pressed);
        pressed->click();
    };
}

ModalScript::Step nameStudent(const QString &name, const QString &group)
{
    return [=](QWidget *modal) {
        auto *dialog = qobject_cast<StudentNameDialog *>(modal);
        QVERIFY2(dialog, modal->metaObject()->className());
        dialog->nameEdit()->setText(name);
        dialog->groupEdit()->setText(group);
        dialog->okButton()->click();
    };
}

// Types text into the focused widget key by key, Cyrillic letters too.
void typeKeys(const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(
            QTest::Click, QApplication::focusWidget(), Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }
}

// A lab work played from a package: unpacked into its run folder, which becomes the current
// folder, in a home folder of its own.
struct PackagedLab
{
    QTemporaryDir dir;
    QString home = dir.filePath(QStringLiteral("home"));
    EnvironmentVariable homeVariable { "HOME", QFile::encodeName(home) };
    EnvironmentVariable configVariable { "XDG_CONFIG_HOME", QByteArray() };
    EnvironmentVariable tmpVariable { "TMPDIR", QFile::encodeName(dir.path()) };
    EnvironmentVariable runtimeVariable { "XDG_RUNTIME_DIR", QByteArray() };
    QString package;

    explicit PackagedLab(const QString &title)
    {
        QDir(dir.path()).mkpath(home);
        package = dir.filePath(QStringLiteral("lab.lwz"));
        writeZip(package,
            { { "labwork.lbw",
                  windowsText(QStringLiteral("[Header]\nTitle=%1\n[Doc]\nType=Information\nTitle=Теория\n"
                                             "Identifier=1\nDocument=doc.htm\n")
                                  .arg(title)) },
                { "doc.htm", "<html><body>Doc</body></html>" } });
    }
};

const StudentIdentity Student { QStringLiteral("Иванова Мария"), QStringLiteral("9А") };

} // namespace

class TestRunReporter final : public QObject
{
    Q_OBJECT

private:
    QString m_startDirectory = QDir::currentPath();

private Q_SLOTS:
    void cleanup()
    {
        MainForm = nullptr;
        QDir::setCurrent(m_startDirectory);
    }

    // What was checked is in the folder as soon as it was checked (written beside the window, so
    // within moments): a program killed afterwards loses nothing of it. The end of the run writes
    // the files once more, marked finished, and waits for them.
    void reportFolderHoldsEveryCheckAtOnce()
    {
        QTemporaryDir lab;
        QTemporaryDir reports;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        MainForm = &form;
        TResultsDlg results(&form);
        form.setResultsDialog(&results);
        QString error;
        auto folder = ReportFolder::open(reports.path(), &error);
        QVERIFY(folder);
        auto *reporter = new TRunReporter(form, path, std::move(folder));
        closeModalDialogs(&form);

        QVERIFY(QDir(reports.path()).entryList(QDir::Files).isEmpty());
        form.LabWork()->SelectChapter(1);
        form.ViewFormSubmit(QStringLiteral(":quest"), {}, {}, {}, { QStringLiteral("q1=a") });
        const auto attempts = [&] {
            return onlyJsonIn(reports.path()).value(u"chapters").toArray().at(1).toObject().value(u"attempts").toInt();
        };
        QTRY_COMPARE(attempts(), 1);
        QJsonObject json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"finished").toBool(), false);
        const QJsonObject quiz = json.value(u"chapters").toArray().at(1).toObject();
        QCOMPARE(quiz.value(u"attempts").toInt(), 1);
        QCOMPARE(quiz.value(u"checks").toArray().at(0).toObject().value(u"total").toInt(), 4);
        QCOMPARE(quiz.value(u"passed").toBool(), true);
        QCOMPARE(QDir(reports.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files).size(), 1);

        // The quiz's return button counts nothing and writes nothing new.
        form.LabWork()->SelectChapter(1);
        form.ViewFormSubmit(QStringLiteral(":return"), {}, {}, {}, {});
        QCOMPARE(
            onlyJsonIn(reports.path()).value(u"chapters").toArray().at(1).toObject().value(u"attempts").toInt(), 1);

        form.LabWork()->SelectChapter(0);
        form.ViewFormSubmit(QStringLiteral("?system"), {}, {}, {}, {});
        QTRY_COMPARE(
            onlyJsonIn(reports.path()).value(u"chapters").toArray().at(0).toObject().value(u"passed").toBool(), true);
        QCOMPARE(attempts(), 1);

        reporter->finish();
        json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"finished").toBool(), true);
        // The lab work played, by its digest.
        QCOMPARE(json.value(u"labWork").toObject().value(u"sha256").toString(), fileSha256(path).value_or(QString()));
        QCOMPARE(QDir(reports.path()).entryList(QDir::Files).size(), 2);
    }

    // A double click on the check button submits the form twice; the second submission reaches the
    // window while the results of the first are shown. It counts nothing: one check, one attempt.
    void aSecondSubmissionDuringTheResultsCountsNothing()
    {
        QTemporaryDir lab;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        MainForm = &form;
        TResultsDlg results(&form);
        form.setResultsDialog(&results);
        auto *reporter = new TRunReporter(form, path, std::nullopt);
        int resultsShown = 0;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, &form, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ++resultsShown;
            if (resultsShown == 1)
                form.ViewFormSubmit(QStringLiteral(":quest"), {}, {}, {}, { QStringLiteral("q1=a") });
            dialog->accept();
        });
        watcher.start(20);

        form.LabWork()->SelectChapter(1);
        form.ViewFormSubmit(QStringLiteral(":quest"), {}, {}, {}, { QStringLiteral("q1=a") });
        watcher.stop();
        QCOMPARE(resultsShown, 1);
        const auto *quiz = dynamic_cast<const TTaskChapter *>(form.LabWork()->Chapters().Items(1));
        QVERIFY(quiz);
        QCOMPARE(quiz->AttemptCount, 1);
        QCOMPARE(reporter->record().chapters().at(1).checks.size(), 1);
    }

    // Who does the work: both fields needed, Enter accepts, Esc cancels; what was prefilled (the
    // account's full name) stays unless typed over.
    void studentDialogRules_data()
    {
        QTest::addColumn<QString>("prefilled");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("typedGroup");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("focusAfter"); // the field that has the keyboard when refused

        QTest::newRow("nominal: name and group typed, Enter")
            << QString() << QStringLiteral("Петров Пётр") << QStringLiteral("10Б") << int(Qt::Key_Return) << true
            << QString();
        QTest::newRow("nominal: the prefilled name kept, the group typed")
            << QStringLiteral("Иванова Мария") << QString() << QStringLiteral("9А") << int(Qt::Key_Enter) << true
            << QString();
        QTest::newRow("robustness: a blank name") << QString() << QStringLiteral("   ") << QStringLiteral("9А")
                                                  << int(Qt::Key_Return) << false << QStringLiteral("nameEdit");
        QTest::newRow("robustness: a blank group") << QString() << QStringLiteral("Петров Пётр") << QStringLiteral(" ")
                                                   << int(Qt::Key_Return) << false << QStringLiteral("groupEdit");
        QTest::newRow("nominal: Esc cancels") << QStringLiteral("Иванова Мария") << QString() << QStringLiteral("9А")
                                              << int(Qt::Key_Escape) << false << QString();
    }

    void studentDialogRules()
    {
        QFETCH(QString, prefilled);
        QFETCH(QString, typedName);
        QFETCH(QString, typedGroup);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        QFETCH(QString, focusAfter);

        StudentNameDialog dialog;
        dialog.setName(prefilled);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        // The keyboard alone: the first blank field has it, Tab goes on to the group.
        QCOMPARE(QApplication::focusWidget(), prefilled.isEmpty() ? dialog.nameEdit() : dialog.groupEdit());
        if (prefilled.isEmpty()) {
            typeKeys(typedName);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), dialog.groupEdit());
        typeKeys(typedGroup);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));

        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(dialog.isVisible(), !focusAfter.isEmpty());
        if (!focusAfter.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
        if (accepted) {
            QCOMPARE(dialog.name(), prefilled.isEmpty() ? typedName : prefilled);
            QCOMPARE(dialog.group(), typedGroup);
        }
    }

    // A screen reader names each field and what it wants; its label, with Alt and a letter, moves
    // to it; Tab goes name, group, OK, Cancel.
    void studentDialogIsKeyboardAndScreenReaderReady()
    {
        StudentNameDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Кто выполняет работу"));
        QVERIFY(!dialog.accessibleDescription().isEmpty());
        for (QLineEdit *edit : { dialog.nameEdit(), dialog.groupEdit() }) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(edit);
            QVERIFY(accessible);
            QVERIFY(!accessible->text(QAccessible::Name).isEmpty());
            QVERIFY(!accessible->text(QAccessible::Description).isEmpty());
            bool hasBuddy = false;
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                hasBuddy = hasBuddy || label->buddy() == edit;
            QVERIFY2(hasBuddy, qPrintable(edit->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog.nameEdit())->text(QAccessible::Name),
            QStringLiteral("Фамилия и имя"));
        QCOMPARE(QApplication::focusWidget(), dialog.nameEdit());
        for (QWidget *next : std::initializer_list<QWidget *> {
                 dialog.groupEdit(), dialog.okButton(), dialog.cancelButton(), dialog.nameEdit() }) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(dialog.okButton()->isDefault());

        QTest::sendKeyEvent(
            QTest::Click, &dialog, Qt::Key(0x413), QStringLiteral("г"), Qt::AltModifier); // the label's letter
        QCOMPARE(QApplication::focusWidget(), dialog.groupEdit());
    }

    // A launcher names the student on the command line or in the environment; the command line wins,
    // field by field.
    void givenStudentPrecedence_data()
    {
        QTest::addColumn<QString>("commandName");
        QTest::addColumn<QString>("commandGroup");
        QTest::addColumn<QByteArray>("variableName");
        QTest::addColumn<QByteArray>("variableGroup");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("group");

        QTest::newRow("nominal: the command line over the environment")
            << QStringLiteral("Петров Пётр") << QStringLiteral("10Б") << QByteArray("Сидоров") << QByteArray("11А")
            << QStringLiteral("Петров Пётр") << QStringLiteral("10Б");
        QTest::newRow("nominal: the environment alone")
            << QString() << QString() << QByteArray("  Сидоров Иван ") << QByteArray("11А")
            << QStringLiteral("Сидоров Иван") << QStringLiteral("11А");
        QTest::newRow("nominal: the name from the command line, the group from the environment")
            << QStringLiteral("Петров Пётр") << QString() << QByteArray() << QByteArray("11А")
            << QStringLiteral("Петров Пётр") << QStringLiteral("11А");
        QTest::newRow("robustness: a blank name on the command line")
            << QStringLiteral("  ") << QString() << QByteArray("Сидоров") << QByteArray() << QStringLiteral("Сидоров")
            << QString();
        QTest::newRow("nominal: nothing given")
            << QString() << QString() << QByteArray() << QByteArray() << QString() << QString();
    }

    void givenStudentPrecedence()
    {
        QFETCH(QString, commandName);
        QFETCH(QString, commandGroup);
        QFETCH(QByteArray, variableName);
        QFETCH(QByteArray, variableGroup);
        QFETCH(QString, name);
        QFETCH(QString, group);
        const EnvironmentVariable studentVariable(StudentVariable, variableName);
        const EnvironmentVariable groupVariable(GroupVariable, variableGroup);
        const StudentIdentity student = givenStudent(commandName, commandGroup);
        QCOMPARE(student.name, name);
        QCOMPARE(student.group, group);
        QCOMPARE(student.isKnown(), !name.isEmpty());
    }

    // The account's full name prefills the dialog: the GECOS field up to its first comma, unless it
    // only repeats the login name.
    void accountFullName_data()
    {
        QTest::addColumn<QByteArray>("gecos");
        QTest::addColumn<QString>("fullName");
        QTest::newRow("nominal: name and room") << QByteArray("Иванова Мария,,,") << QStringLiteral("Иванова Мария");
        QTest::newRow("nominal: the name alone") << QByteArray(" Петров Пётр ") << QStringLiteral("Петров Пётр");
        QTest::newRow("robustness: empty") << QByteArray() << QString();
        QTest::newRow("robustness: commas only") << QByteArray(",,,") << QString();
        QTest::newRow("robustness: the login name again") << QByteArray("student,,,") << QString();
    }

    void accountFullName()
    {
        QFETCH(QByteArray, gecos);
        QFETCH(QString, fullName);
        QCOMPARE(fullNameFromGecos(gecos, "student"), fullName);
    }

    // The report names the student: in the JSON beside the account, in the PDF's header above the
    // account, and in the folder's file names instead of the account.
    void reportNamesTheStudent_data()
    {
        QTest::addColumn<bool>("known");
        QTest::newRow("nominal: the student given") << true;
        QTest::newRow("nominal: no student given") << false;
    }

    void reportNamesTheStudent()
    {
        QFETCH(bool, known);
        QTemporaryDir lab;
        QTemporaryDir reports;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        QString error;
        auto folder = ReportFolder::open(reports.path(), &error);
        QVERIFY(folder);
        auto *reporter = new TRunReporter(form, path, std::move(folder), known ? Student : StudentIdentity {});
        reporter->finish();

        const QJsonObject json = onlyJsonIn(reports.path());
        QCOMPARE(json.value(u"user").toString(), currentUserName());
        if (known) {
            const QJsonObject student = json.value(u"student").toObject();
            QCOMPARE(student.value(u"name").toString(), Student.name);
            QCOMPARE(student.value(u"group").toString(), Student.group);
        } else {
            QVERIFY(json.contains(u"student"));
            QVERIFY(json.value(u"student").isNull());
        }
        const QStringList names = QDir(reports.path()).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
        QCOMPARE(names.size(), 1);
        const QString who = known ? QStringLiteral("Иванова_Мария") : fileNamePart(currentUserName(), 32);
        QVERIFY2(names.first().endsWith(u'_' + who + QStringLiteral(".pdf")), qPrintable(names.first()));

        const QString html = runReportHtml(reporter->record(), QDateTime::currentDateTime());
        const qsizetype user = html.indexOf(QStringLiteral("Пользователь компьютера:"));
        QVERIFY(user > 0);
        QCOMPARE(html.indexOf(Student.name) >= 0 && html.indexOf(Student.name) < user, known);
        QCOMPARE(html.indexOf(QStringLiteral("<td>9А</td>")) >= 0 && html.indexOf(QStringLiteral("9А")) < user, known);
    }

    // Ctrl+S asks who does the work when no one has said it yet, once: the run keeps the answer.
    // Cancelling the question saves nothing.
    void saveAsksForTheStudentOnce()
    {
        PackagedLab lab(QStringLiteral("Закон Ома"));
        TMainForm form(QStringList { lab.package });
        QVERIFY(!form.StartupFailed());
        auto *reporter = new TRunReporter(form, lab.package, std::nullopt);
        QVERIFY(!reporter->record().student().isKnown());

        {
            ModalScript script({ [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); } });
            reporter->saveAs();
            QCOMPARE(script.seen(), QStringList { QStringLiteral("kelvo::StudentNameDialog") });
            QVERIFY(!reporter->record().student().isKnown());
        }
        {
            ModalScript script({ nameStudent(Student.name, Student.group), chooseFile(QString()) });
            reporter->saveAs();
            QVERIFY(script.done());
            QCOMPARE(script.seen(),
                (QStringList { QStringLiteral("kelvo::StudentNameDialog"), QStringLiteral("QFileDialog") }));
        }
        QCOMPARE(reporter->record().student().name, Student.name);
        QCOMPARE(reporter->record().student().group, Student.group);
        {
            const QString target = QDir(lab.home).filePath(QStringLiteral("report.pdf"));
            ModalScript script({ chooseFile(target) });
            reporter->saveAs();
            QCOMPARE(script.seen(), QStringList { QStringLiteral("QFileDialog") });
            QVERIFY(QFileInfo(target).size() > 0);
        }
    }

    // The file dialog starts in the documents folder (or home), never in the current folder, which
    // is the run folder deleted at exit; a "/" in the title names no folder. After a save it starts
    // where the last save went.
    void saveDialogStartFolder_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::newRow("nominal: a documents folder") << true;
        QTest::newRow("nominal: no documents folder, home") << false;
    }

    void saveDialogStartFolder()
    {
        QFETCH(bool, documents);
        PackagedLab lab(QStringLiteral("Лабораторная работа 3/1"));
        const QString documentsFolder = QDir(lab.home).filePath(QStringLiteral("Documents"));
        if (documents)
            QVERIFY(QDir().mkpath(documentsFolder));
        TMainForm form(QStringList { lab.package });
        QVERIFY(!form.StartupFailed());
        QVERIFY(form.runFolder() && form.runFolder()->isValid());
        const QString runFolder = QFileInfo(form.runFolder()->path()).canonicalFilePath();
        QCOMPARE(QDir::current().canonicalPath(), runFolder); // where a dialog without a folder would start
        auto *reporter = new TRunReporter(form, lab.package, std::nullopt, Student);

        QString start;
        QString suggested;
        const QString elsewhere = QDir(lab.dir.path()).filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        {
            ModalScript script({ chooseFile(QDir(elsewhere).filePath(QStringLiteral("r.pdf")), &start, &suggested) });
            reporter->saveAs();
            QVERIFY(script.done());
        }
        QCOMPARE(start, documents ? documentsFolder : lab.home);
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("Лабораторная_работа_3_1.pdf"));
        QCOMPARE(QFileInfo(suggested).absolutePath(), start);
        QVERIFY(QFileInfo(QDir(elsewhere).filePath(QStringLiteral("r.pdf"))).size() > 0);
        {
            ModalScript script({ chooseFile(QString(), &start) });
            reporter->saveAs();
            QVERIFY(script.done());
        }
        QCOMPARE(start, elsewhere);
    }

    // A path inside the run folder is refused with a message and the dialog comes back; nothing is
    // written there.
    void saveRefusesTheRunFolder()
    {
        PackagedLab lab(QStringLiteral("Закон Ома"));
        TMainForm form(QStringList { lab.package });
        QVERIFY(!form.StartupFailed());
        const QString runFolder = form.runFolder()->path();
        const QStringList before = QDir(runFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        auto *reporter = new TRunReporter(form, lab.package, std::nullopt, Student);

        QString message;
        const QString inside = QDir(runFolder).filePath(QStringLiteral("report.pdf"));
        ModalScript script({ chooseFile(inside), answer(QMessageBox::Ok, &message), chooseFile(QString()) });
        reporter->saveAs();
        QVERIFY(script.done());
        QCOMPARE(script.seen(),
            (QStringList {
                QStringLiteral("QFileDialog"), QStringLiteral("QMessageBox"), QStringLiteral("QFileDialog") }));
        QVERIFY2(message.contains(QStringLiteral("временная папка")), qPrintable(message));
        QVERIFY(!QFileInfo::exists(inside));
        QCOMPARE(QDir(runFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    // An existing file is replaced only when the student says so, asked in Russian with "Нет" as
    // the default; "Нет" brings the dialog back and leaves the file as it was.
    void saveAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("nominal: No keeps the file") << false;
        QTest::newRow("nominal: Yes replaces it") << true;
    }

    void saveAsksBeforeReplacing()
    {
        QFETCH(bool, replace);
        PackagedLab lab(QStringLiteral("Закон Ома"));
        TMainForm form(QStringList { lab.package });
        QVERIFY(!form.StartupFailed());
        auto *reporter = new TRunReporter(form, lab.package, std::nullopt, Student);
        const QString target = writeFile(QDir(lab.home), QStringLiteral("report.pdf"), "the student's own file");

        QString question;
        bool defaultNo = false;
        QList<ModalScript::Step> steps { chooseFile(target),
            answer(replace ? QMessageBox::Yes : QMessageBox::No, &question, &defaultNo) };
        if (!replace)
            steps.append(chooseFile(QString()));
        ModalScript script(steps);
        reporter->saveAs();
        QVERIFY(script.done());
        QVERIFY2(question.contains(QStringLiteral("уже существует")), qPrintable(question));
        QVERIFY(defaultNo);
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.startsWith("%PDF"), replace);
        if (!replace)
            QCOMPARE(bytes, QByteArray("the student's own file"));
    }

    // Qt's own dialogs speak Russian where the system does, and stay English elsewhere.
    void toolkitTranslation_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("russian");
        QTest::newRow("nominal: a Russian system") << russian() << true;
        QTest::newRow("nominal: an English system") << english() << false;
    }

    void toolkitTranslation()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, russian);
        const QString english = QStringLiteral("Save");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Save"), english);
        QCOMPARE(installToolkitTranslation(locale), russian);
        const QString translated = QCoreApplication::translate("QPlatformTheme", "Save");
        QCOMPARE(translated != english, russian);
        // The next row starts untranslated.
        for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>())
            delete translator;
    }

    // Ctrl+S on the menu page asks where to save the report; on another page the key does nothing.
    void saveKeyWorksOnTheMenuPageOnly_data()
    {
        QTest::addColumn<bool>("onMenu");
        QTest::newRow("nominal: the menu page") << true;
        QTest::newRow("nominal: the HTML page keeps its keys") << false;
    }

    void saveKeyWorksOnTheMenuPageOnly()
    {
        QFETCH(bool, onMenu);
        QTemporaryDir lab;
        const QString path = writeFile(QDir(lab.path()), QStringLiteral("labwork.lbw"), Descriptor);
        TMainForm form(QStringList { path });
        QVERIFY(!form.StartupFailed());
        new TRunReporter(form, path, std::nullopt, Student);
        QCOMPARE(form.tsMenu->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(form.tsMenu->actions().size(), 2);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        if (!onMenu)
            form.Pages->setCurrentWidget(form.tsHTML);

        bool asked = false;
        QTimer::singleShot(300, &form, [&asked] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                asked = true;
                dialog->reject();
            }
        });
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        QTest::qWait(500);
        QCOMPARE(asked, onMenu);
    }
};

QTEST_MAIN(TestRunReporter)
#include "tst_runreporter.moc"
