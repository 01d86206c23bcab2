#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// Who wrote the lab work, and what the program is: three pages, the first filled from the lab
// work's header each time the dialog opens.
class TAboutDlg final : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutDlg(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAboutDlg)

    // Fills the first page: the title, "Авторство: " and the author (an empty line without one),
    // and the description.
    void Fill(const QString &title, const QString &author, const QString &description);
    // Shows the first page, modally.
    void ShowAbout();

    QTabWidget *PageControl1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Label3 = nullptr;
    QPlainTextEdit *mLicenseNote = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *BitBtn1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createLabWorkPage();
    QWidget *createProgramPage();
    QWidget *createComponentsPage();
    void nameForScreenReaders();
    void Button1Click();
};
