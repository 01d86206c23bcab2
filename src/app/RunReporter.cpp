#include "RunReporter.h"

#include "LabWork.h"
#include "Localization.h"
#include "MainForm.h"
#include "ReportFileName.h"
#include "RunReportDocument.h"
#include "RunReportJson.h"
#include "TextFormat.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

TRunReporter::TRunReporter(TMainForm &form, const QString &packagePath, std::optional<kelvo::ReportFolder> folder)
    : QObject(&form)
    , m_form(form)
    , m_record(*form.LabWork(), QFileInfo(packagePath).absoluteFilePath(), QDateTime::currentDateTime(),
          kelvo::currentUserName())
    , m_folder(std::move(folder))
{
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

void TRunReporter::saveAs()
{
    m_record.updatePassed(*m_form.LabWork());
    const QString suggested = QDir::home().filePath(
        (m_record.labTitle().trimmed().isEmpty() ? QStringLiteral("report") : m_record.labTitle().trimmed())
        + QStringLiteral(".pdf"));
    const QString path
        = QFileDialog::getSaveFileName(&m_form, Texts::ReportSaveCaption, suggested, Texts::ReportPdfFilter);
    if (path.isEmpty())
        return;
    QString error;
    if (!kelvo::writeRunReportPdf(m_record, QDateTime::currentDateTime(), path, &error)) {
        QMessageBox box(QMessageBox::Critical, Texts::ErrorCaption,
            kelvo::format(Texts::ReportSaveFailed, { QDir::toNativeSeparators(path), error }), QMessageBox::Ok,
            &m_form);
        box.exec();
    }
}

void TRunReporter::print()
{
    m_record.updatePassed(*m_form.LabWork());
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
    writeToFolder(true);
}

void TRunReporter::writeToFolder(bool finished)
{
    if (!m_folder)
        return;
    const QDateTime written = QDateTime::currentDateTime();
    const QByteArray json
        = QJsonDocument(kelvo::runReportToJson(m_record, written, finished)).toJson(QJsonDocument::Indented);
    QString error;
    if (m_folder->write(kelvo::reportFileStem(m_record), json, kelvo::runReportPdf(m_record, written), &error))
        return;
    // The student goes on; the teacher's copy of this check is what was lost, so it is said.
    QMessageBox box(QMessageBox::Warning, Texts::ErrorCaption,
        kelvo::format(Texts::ReportWriteFailed, { QDir::toNativeSeparators(m_folder->path()), error }), QMessageBox::Ok,
        finished ? nullptr : &m_form);
    box.exec();
}
