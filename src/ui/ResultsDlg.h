#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class TBitButton;

// The figures the results dialog shows for a check.
struct ResultFigures
{
    QString total;
    QString right;
    QString wrong;
    QString percent;
    QColor percentColor;
};

// Right of Total as the results dialog shows them: counts in decimal, the percentage with two
// decimals (the locale's separator, rounded half up; 0 when Total is below 1), and its colour
// from maroon at 0 % to green at 100 %, each channel taken modulo 256.
ResultFigures resultFigures(int Right, int Total);

// The results dialog of a quiz check: total, right and wrong counts and the percentage.
class TResultsDlg final : public QDialog
{
    Q_OBJECT

public:
    explicit TResultsDlg(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TResultsDlg)

    // Fills the labels and shows the dialog modally, centred on the screen; returns once the
    // student has closed it.
    void ShowResults(int Right, int Total);
    // The filling alone.
    void FillResults(int Right, int Total);
    // The dialog as a screen reader names it: after the test whose results it shows.
    void NameAfter(const QString &testTitle);

    // Esc closes the dialog as the close button does, with the OK result.
    void reject() override;

    QLabel *Panel1 = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lbTotal = nullptr;
    QFrame *Bevel2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *lbRight = nullptr;
    QFrame *Bevel3 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *lbWrong = nullptr;
    QFrame *Bevel4 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *lbProcent = nullptr;
    TBitButton *bbClose = nullptr;

private:
    void centreOnScreen();
    void nameRows();
};
