#pragma once

#include "ReportFolder.h"
#include "RunRecord.h"
#include "StudentIdentity.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <future>
#include <optional>

class QMessageBox;

namespace kelvo {
class ReportWriter;
}

class TMainForm;

// Keeps the record of the run for the main window and gives it to the student: Ctrl+S saves it
// as a PDF, Ctrl+P prints it, both also in the menu page's context menu. With a report folder it
// writes the report there after every check and when the program ends, on a thread of its own:
// the window goes on at once, and the end of the run waits for the last report a bounded time.
// The report names the student: given at the start, or asked for when a report is first saved or
// printed, and the package played by its digest.
//
// Saving never writes into the run's own folder, which the program deletes, and never replaces a
// file unasked. The file dialog starts in the user's documents folder (or home), later in the
// folder of the last save.
class TRunReporter final : public QObject
{
    Q_OBJECT

public:
    TRunReporter(TMainForm &form, const QString &packagePath, std::optional<kelvo::ReportFolder> folder,
        const kelvo::StudentIdentity &student = {});
    ~TRunReporter() override;
    Q_DISABLE_COPY_MOVE(TRunReporter)

    const kelvo::RunRecord &record() const { return m_record; }

    // Asks who does the work (StudentNameDialog): the name prefilled from `given`, or else from the
    // account's full name, the group from `given`. Nothing when the student cancels.
    static std::optional<kelvo::StudentIdentity> askStudent(QWidget *parent, const kelvo::StudentIdentity &given);
    // The student known, or asked for now; false when the student cancelled.
    bool ensureStudent();

    void saveAs();
    void print();
    // The last report into the folder, marked as written at the end of the run; waits for it at
    // most FinalWriteSeconds. A failure is said in a message, or on standard error when the run
    // ends by a signal (nobody is there to answer a message then).
    void finish();
    static constexpr int FinalWriteSeconds = 10;

private:
    void writeToFolder(bool finished);
    void showWriteFailure(const QString &reason);
    // The package's digest into the record once it is known; `wait` waits for it, or makes it now.
    void takeDigest(bool wait);
    void installActions();
    // Where the file dialog starts, and the path the student chose; empty when cancelled.
    QString saveStartFolder() const;
    QString chooseSavePath();
    bool insideRunFolder(const QString &path) const;
    bool mayReplace(const QString &path);

    TMainForm &m_form;
    kelvo::RunRecord m_record;
    std::future<std::optional<QString>> m_digest; // made beside the run when reports are written
    kelvo::ReportWriter *m_writer = nullptr;
    QPointer<QMessageBox> m_failureBox;
    bool m_finished = false;
    QString m_lastSaveFolder; // the folder of the last save in this run
};
