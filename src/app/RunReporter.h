#pragma once

#include "ReportFolder.h"
#include "RunRecord.h"

#include <QObject>

#include <optional>

class TMainForm;

// Keeps the record of the run for the main window and gives it to the student: Ctrl+S saves it
// as a PDF, Ctrl+P prints it, both also in the menu page's context menu. With a report folder it
// writes the report there after every check and when the program ends.
class TRunReporter final : public QObject
{
    Q_OBJECT

public:
    TRunReporter(TMainForm &form, const QString &packagePath, std::optional<kelvo::ReportFolder> folder);
    ~TRunReporter() override;
    Q_DISABLE_COPY_MOVE(TRunReporter)

    const kelvo::RunRecord &record() const { return m_record; }
    const std::optional<kelvo::ReportFolder> &folder() const { return m_folder; }

    void saveAs();
    void print();
    // The last report into the folder, marked as written at the end of the run.
    void finish();

private:
    void writeToFolder(bool finished);
    void installActions();

    TMainForm &m_form;
    kelvo::RunRecord m_record;
    std::optional<kelvo::ReportFolder> m_folder;
    bool m_finished = false;
};
