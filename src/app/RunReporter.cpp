#include "RunReporter.h"

#include "FileDigest.h"
#include "LabWork.h"
#include "Localization.h"
#include "MainForm.h"
#include "Process.h"
#include "ReportFileName.h"
#include "ReportWriter.h"
#include "RunReportDocument.h"
#include "StudentNameDialog.h"
#include "TerminationSignals.h"
#include "TextFormat.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

TRunReporter::TRunReporter(TMainForm &form, const QString &packagePath, std::optional<kelvo::ReportFolder> folder,
    const kelvo::StudentIdentity &student)
    : QObject(&form)
    , m_form(form)
    , m_record(*form.LabWork(), QFileInfo(packagePath).absoluteFilePath(), QDateTime::currentDateTime(),
          kelvo::currentUserName())
{
    if (folder) {
        // Reports will be written: the digest is made beside the run, ready by the first one.
        m_digest = std::async(std::launch::async, kelvo::fileSha256, m_record.packagePath());
        m_writer = new kelvo::ReportWriter(std::move(*folder), this);
        connect(m_writer, &kelvo::ReportWriter::writeFailed, this, &TRunReporter::showWriteFailure);
    }
    if (student.isKnown())
        m_record.setStudent(student);
    connect(&form, &TMainForm::chapterOpened, this, [this](int index) { m_record.chapterOpened(index); });
    connect(&form, &TMainForm::answersChecked, this, [this](int index, int right, int total) {
        m_record.checked(index, right, total, QDateTime::currentDateTime());
        writeToFolder(false);
    });
    connect(&form, &TMainForm::chapterCompleted, this, [this](int) {
        m_record.updatePassed(*m_form.LabWork());
        writeToFolder(false);
    });
    installActions();
}

TRunReporter::~TRunReporter() = default;

void TRunReporter::installActions()
{
    // On the menu page only: the documents keep their own keys, and the menu's layout is unchanged.
    auto *save = new QAction(Texts::ReportSaveMenu, m_form.tsMenu);
    save->setShortcut(QKeySequence::Save);
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, &TRunReporter::saveAs);
    auto *print = new QAction(Texts::ReportPrintMenu, m_form.tsMenu);
    print->setShortcut(QKeySequence::Print);
    print->setShortcutContext(Qt::WindowShortcut);
    connect(print, &QAction::triggered, this, &TRunReporter::print);
    m_form.tsMenu->addAction(save);
    m_form.tsMenu->addAction(print);
    m_form.tsMenu->setContextMenuPolicy(Qt::ActionsContextMenu);
}

std::optional<kelvo::StudentIdentity> TRunReporter::askStudent(QWidget *parent, const kelvo::StudentIdentity &given)
{
    kelvo::StudentNameDialog dialog(parent);
    dialog.setGroup(given.group);
    dialog.setName(given.isKnown() ? given.name : kelvo::accountFullName());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return kelvo::StudentIdentity { dialog.name(), dialog.group() };
}

bool TRunReporter::ensureStudent()
{
    if (m_record.student().isKnown())
        return true;
    const std::optional<kelvo::StudentIdentity> student = askStudent(&m_form, m_record.student());
    if (!student)
        return false;
    m_record.setStudent(*student);
    return true;
}

void TRunReporter::saveAs()
{
    if (!ensureStudent())
        return;
    m_record.updatePassed(*m_form.LabWork());
    takeDigest(true);
    const QString path = chooseSavePath();
    if (path.isEmpty())
        return;
    QString error;
    if (!kelvo::writeRunReportPdf(m_record, QDateTime::currentDateTime(), path, &error)) {
        QMessageBox box(QMessageBox::Critical, Texts::ErrorCaption,
            kelvo::format(Texts::ReportSaveFailed, { QDir::toNativeSeparators(path), error }), QMessageBox::Ok,
            &m_form);
        box.exec();
        return;
    }
    m_lastSaveFolder = QFileInfo(path).absolutePath();
}

QString TRunReporter::saveStartFolder() const
{
    // Never the current folder: with a package, that is the run's own folder, deleted at exit.
    if (!m_lastSaveFolder.isEmpty() && QFileInfo(m_lastSaveFolder).isDir())
        return m_lastSaveFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString TRunReporter::chooseSavePath()
{
    QFileDialog dialog(&m_form, Texts::ReportSaveCaption, saveStartFolder(), Texts::ReportPdfFilter);
    dialog.setObjectName(QStringLiteral("ReportSaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // Replacing is asked below, in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Named as the report folder's files are: a "/" in the title names no folder.
    dialog.selectFile(kelvo::fileNamePart(m_record.labTitle().trimmed(), 60) + QStringLiteral(".pdf"));
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().constFirst();
        if (insideRunFolder(path)) {
            QMessageBox box(QMessageBox::Warning, Texts::ReportSaveCaption,
                kelvo::format(
                    Texts::ReportInsideRunFolder, { QDir::toNativeSeparators(QFileInfo(path).absolutePath()) }),
                QMessageBox::Ok, &m_form);
            box.exec();
            dialog.setDirectory(saveStartFolder());
            continue;
        }
        if (QFileInfo::exists(path) && !mayReplace(path))
            continue;
        return path;
    }
    return {};
}

bool TRunReporter::insideRunFolder(const QString &path) const
{
    const kelvo::RunFolder *runFolder = m_form.runFolder();
    if (!runFolder || runFolder->path().isEmpty())
        return false;
    const QString run = QFileInfo(runFolder->path()).canonicalFilePath();
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !run.isEmpty() && (folder == run || folder.startsWith(run + u'/'));
}

bool TRunReporter::mayReplace(const QString &path)
{
    QMessageBox box(QMessageBox::Question, Texts::ReportSaveCaption,
        kelvo::format(Texts::ReportReplaceQuestion, { QDir::toNativeSeparators(path) }),
        QMessageBox::Yes | QMessageBox::No, &m_form);
    box.button(QMessageBox::Yes)->setText(Texts::YesButton);
    box.button(QMessageBox::No)->setText(Texts::NoButton);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TRunReporter::print()
{
    if (!ensureStudent())
        return;
    m_record.updatePassed(*m_form.LabWork());
    takeDigest(true);
    QPrinter printer;
    QPrintDialog dialog(&printer, &m_form);
    if (dialog.exec() == QDialog::Accepted)
        kelvo::paintRunReport(m_record, QDateTime::currentDateTime(), printer);
}

void TRunReporter::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_record.updatePassed(*m_form.LabWork());
    if (!m_writer)
        return;
    writeToFolder(true);
    QString error;
    if (!m_writer->waitUntilWritten(std::chrono::seconds(FinalWriteSeconds), &error))
        error = kelvo::format(Texts::ReportWriteTimedOut, { qint64(FinalWriteSeconds) });
    if (error.isEmpty())
        return;
    const QString text
        = kelvo::format(Texts::ReportWriteFailed, { QDir::toNativeSeparators(m_writer->folderPath()), error });
    if (kelvo::TerminationSignals::caughtSignal() != 0) {
        kelvo::writeErrorLine(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, Texts::ErrorCaption, text, QMessageBox::Ok);
    box.exec();
}

void TRunReporter::takeDigest(bool wait)
{
    if (!m_record.labWorkDigest().isEmpty())
        return;
    if (!m_digest.valid()) {
        // A run without a report folder makes it only when a report is asked for.
        if (wait)
            m_record.setLabWorkDigest(kelvo::fileSha256(m_record.packagePath()).value_or(QString()));
        return;
    }
    if (!wait && m_digest.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_record.setLabWorkDigest(m_digest.get().value_or(QString()));
}

void TRunReporter::writeToFolder(bool finished)
{
    if (!m_writer)
        return;
    // A package so large that its digest is not known by the first check gets it in a later report.
    takeDigest(finished);
    m_writer->post(m_record, QDateTime::currentDateTime(), finished);
}

void TRunReporter::showWriteFailure(const QString &reason)
{
    // The student goes on; the teacher's copy of this check is what was lost, so it is said. The
    // message does not wait in a loop of its own: a run ended meanwhile ends all the same.
    const QString text
        = kelvo::format(Texts::ReportWriteFailed, { QDir::toNativeSeparators(m_writer->folderPath()), reason });
    if (m_failureBox) {
        m_failureBox->setText(text);
        return;
    }
    m_failureBox = new QMessageBox(QMessageBox::Warning, Texts::ErrorCaption, text, QMessageBox::Ok, &m_form);
    m_failureBox->setAttribute(Qt::WA_DeleteOnClose);
    m_failureBox->open();
}
