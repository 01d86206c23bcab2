#include "ResultsDlg.h"
#include "QuizScore.h"

#include "BitButton.h"
#include "Localization.h"
#include "NumberFormats.h"
#include "TextFormat.h"
#include "WidgetLook.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

using kelvo::pixelFont;

namespace {

constexpr QSize ClientSize(346, 308);

QFrame *framedBevel(QWidget *parent, const QRect &geometry)
{
    auto *bevel = new QFrame(parent);
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setLineWidth(1);
    bevel->setGeometry(geometry);
    return bevel;
}

QLabel *rowCaption(QWidget *parent, const QString &text, QPoint at)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(pixelFont(QStringLiteral("Tahoma"), 13));
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel *valueLabel(QWidget *parent, const QRect &geometry, const QFont &font, const QColor &color)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QString decimal(qint64 value)
{
    return kelvo::format(Texts::ResultsNumber, { value });
}

} // namespace

ResultFigures resultFigures(int Right, int Total)
{
    const double percent = kelvo::quizPercent(Right, Total);
    // The product stays far inside 64 bits for any two 32-bit counts.
    const qint64 green = qint64(kelvo::roundHalfEven(percent / 100.0 * 128.0));
    ResultFigures figures;
    figures.total = decimal(Total);
    figures.right = decimal(Right);
    // In 64 bits, so that extreme counts show their true difference.
    figures.wrong = decimal(qint64(Total) - qint64(Right));
    figures.percent = kelvo::format(Texts::ResultsPercent, { percent });
    figures.percentColor = QColor(int((128 - green) & 0xFF), int(green & 0xFF), 0);
    return figures;
}

TResultsDlg::TResultsDlg(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(Texts::ApplicationTitle);
    setModal(true);
    setFixedSize(ClientSize);
    setFont(pixelFont(QStringLiteral("Tahoma"), 12));
    // The face colour of buttons as the background.
    QPalette facePalette = palette();
    facePalette.setColor(QPalette::Window, facePalette.color(QPalette::Button));
    setPalette(facePalette);

    Panel1 = new QLabel(Texts::ResultsCaption, this);
    Panel1->setTextFormat(Qt::PlainText);
    Panel1->setGeometry(0, 0, ClientSize.width(), 25);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFont(pixelFont(QStringLiteral("Arial"), 15, true, true));
    Panel1->setBackgroundRole(QPalette::Window);
    Panel1->setAutoFillBackground(true);
    QPalette panelPalette = Panel1->palette();
    panelPalette.setColor(QPalette::Window, QColor(0, 128, 192));
    panelPalette.setColor(QPalette::WindowText, Qt::white);
    Panel1->setPalette(panelPalette);

    const QFont countFont = pixelFont(QStringLiteral("Arial"), 27, true);
    Bevel1 = framedBevel(this, QRect(0, 32, 345, 49));
    Label1 = rowCaption(this, Texts::ResultsTotal, QPoint(8, 34));
    lbTotal = valueLabel(this, QRect(168, 40, 169, 33), countFont, palette().color(QPalette::WindowText));

    Bevel2 = framedBevel(this, QRect(0, 88, 345, 49));
    Label2 = rowCaption(this, Texts::ResultsRight, QPoint(8, 90));
    lbRight = valueLabel(this, QRect(168, 96, 169, 33), countFont, QColor(0, 128, 0));

    Bevel3 = framedBevel(this, QRect(0, 144, 345, 49));
    Label3 = rowCaption(this, Texts::ResultsWrong, QPoint(8, 146));
    lbWrong = valueLabel(this, QRect(168, 152, 169, 33), countFont, QColor(128, 0, 0));

    Bevel4 = framedBevel(this, QRect(1, 200, 345, 49));
    Label4 = rowCaption(this, Texts::ResultsPercentLabel, QPoint(8, 202));
    lbProcent = valueLabel(this, QRect(160, 208, 177, 33), pixelFont(QStringLiteral("Verdana"), 32),
        palette().color(QPalette::WindowText));

    bbClose = new TBitButton(Texts::CloseButton, TBitButton::Layout::GlyphLeft, this);
    bbClose->setGlyph(QStringLiteral("CLOSE"));
    bbClose->setSpacing(10);
    bbClose->setGeometry(96, 256, 153, 49);
    bbClose->setDefault(true);
    bbClose->setAutoDefault(true);
    connect(bbClose, &QPushButton::clicked, this, &QDialog::accept);

    const std::pair<QWidget *, QString> names[]
        = { { Panel1, QStringLiteral("Panel1") }, { Bevel1, QStringLiteral("Bevel1") },
              { Label1, QStringLiteral("Label1") }, { lbTotal, QStringLiteral("lbTotal") },
              { Bevel2, QStringLiteral("Bevel2") }, { Label2, QStringLiteral("Label2") },
              { lbRight, QStringLiteral("lbRight") }, { Bevel3, QStringLiteral("Bevel3") },
              { Label3, QStringLiteral("Label3") }, { lbWrong, QStringLiteral("lbWrong") },
              { Bevel4, QStringLiteral("Bevel4") }, { Label4, QStringLiteral("Label4") },
              { lbProcent, QStringLiteral("lbProcent") }, { bbClose, QStringLiteral("bbClose") } };
    for (const auto &[widget, name] : names)
        widget->setObjectName(name);
    // The rows' value labels are drawn above their bevels.
    for (QWidget *bevel : { static_cast<QWidget *>(Bevel1), static_cast<QWidget *>(Bevel2),
             static_cast<QWidget *>(Bevel3), static_cast<QWidget *>(Bevel4) })
        bevel->lower();
}

void TResultsDlg::FillResults(int Right, int Total)
{
    const ResultFigures figures = resultFigures(Right, Total);
    lbTotal->setText(figures.total);
    lbRight->setText(figures.right);
    lbWrong->setText(figures.wrong);
    lbProcent->setText(figures.percent);
    setTextColor(lbProcent, figures.percentColor);
    nameRows();
}

void TResultsDlg::NameAfter(const QString &testTitle)
{
    setAccessibleName(kelvo::format(Texts::ResultsAccessibleName, { testTitle }));
}

void TResultsDlg::nameRows()
{
    // Each number is tied to its caption, by relation and in its name, as it is read on its own.
    const std::pair<QLabel *, QLabel *> rows[]
        = { { Label1, lbTotal }, { Label2, lbRight }, { Label3, lbWrong }, { Label4, lbProcent } };
    for (const auto &[caption, value] : rows) {
        caption->setBuddy(value);
        value->setAccessibleName(kelvo::format(Texts::ResultsRowAccessibleName, { caption->text(), value->text() }));
    }
}

void TResultsDlg::ShowResults(int Right, int Total)
{
    FillResults(Right, Total);
    centreOnScreen();
    bbClose->setFocus(Qt::OtherFocusReason);
    exec();
}

void TResultsDlg::reject()
{
    accept();
}

void TResultsDlg::centreOnScreen()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
