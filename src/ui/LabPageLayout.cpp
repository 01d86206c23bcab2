// The laboratory page's fixed controls, laid out for the main window's client area of 793 × 601.
#include "LabPage.h"

#include "Anchors.h"
#include "BitButton.h"
#include "DescriptionStrip.h"
#include "Localization.h"
#include "SchemaImage.h"
#include "WidgetLook.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

using kelvo::anchor;
using kelvo::Bevel;
using kelvo::makePanel;
using kelvo::pixelFont;

namespace {

constexpr QSize DesignClient(793, 601);
const QColor CaptionColour(0, 128, 192);
const QColor Navy(0, 0, 128);

constexpr Qt::Edges AllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;

// A caption bar of a panel: centred white text on blue in a sunken border.
QLabel *makeCaption(QWidget *parent, const QRect &geometry, const QString &text, const QString &name)
{
    auto *caption = new QLabel(text, parent);
    caption->setObjectName(name);
    caption->setGeometry(geometry);
    caption->setTextFormat(Qt::PlainText);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    caption->setLineWidth(1);
    caption->setFont(pixelFont(QStringLiteral("Arial"), 13, true, true));
    kelvo::setColours(caption, CaptionColour, Qt::white);
    anchor(caption, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
    return caption;
}

QLabel *makeDescriptionLine(QWidget *parent, int top, const QFont &font, const QString &name)
{
    auto *line = new QLabel(parent);
    line->setObjectName(name);
    line->setGeometry(6, top, 639, 23);
    line->setTextFormat(Qt::PlainText);
    line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    line->setFont(font);
    anchor(line, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
    return line;
}

TBitButton *makeActionButton(
    QWidget *parent, const QRect &geometry, const QString &caption, const QString &glyph, const QString &name)
{
    auto *button = new TBitButton(caption, TBitButton::Layout::GlyphTop, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(pixelFont(QStringLiteral("Tahoma"), 11, true));
    button->setGlyph(glyph);
    return button;
}

} // namespace

void TLabPage::createControls()
{
    setObjectName(QStringLiteral("tsLab"));
    // The anchors take their distances from the designed sizes.
    resize(DesignClient);

    panLabTop = makePanel(this, QRect(0, 0, DesignClient.width(), 49), Bevel::Lowered, CaptionColour);
    panLabTop->setObjectName(QStringLiteral("panLabTop"));
    anchor(panLabTop, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);

    lbLabTitle = new QLabel(panLabTop);
    lbLabTitle->setObjectName(QStringLiteral("lbLabTitle"));
    lbLabTitle->setTextFormat(Qt::PlainText);
    lbLabTitle->setFont(pixelFont(QStringLiteral("Arial"), 27, true, true));
    kelvo::setColours(lbLabTitle, QColor(), Qt::white);
    lbLabTitle->move(8, 8);

    panLabBackground
        = makePanel(this, QRect(0, 46, DesignClient.width(), DesignClient.height() - 50), Bevel::None, Navy);
    panLabBackground->setObjectName(QStringLiteral("panLabBackground"));

    panSchema = makePanel(panLabBackground, QRect(6, 9, 761, 394), Bevel::Raised);
    panSchema->setObjectName(QStringLiteral("panSchema"));
    anchor(panSchema, AllEdges);
    lbSchemaCaption
        = makeCaption(panSchema, QRect(7, 8, 747, 20), Texts::SchemaCaption, QStringLiteral("lbSchemaCaption"));

    panWorkfieldFrame = new QFrame(panSchema);
    panWorkfieldFrame->setObjectName(QStringLiteral("panWorkfieldFrame"));
    panWorkfieldFrame->setGeometry(8, 32, 745, 354);
    panWorkfieldFrame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    anchor(panWorkfieldFrame, AllEdges);

    const int border = panWorkfieldFrame->frameWidth();
    panWorkfield = new QWidget(panWorkfieldFrame);
    panWorkfield->setObjectName(QStringLiteral("panWorkfield"));
    panWorkfield->setGeometry(panWorkfieldFrame->rect().adjusted(border, border, -border, -border));
    kelvo::setColours(panWorkfield, Qt::white);
    panWorkfield->setMouseTracking(true);
    panWorkfield->installEventFilter(this);
    anchor(panWorkfield, AllEdges);

    imgSchema = new TSchemaImage(panWorkfield);
    imgSchema->setObjectName(QStringLiteral("imgSchema"));
    imgSchema->setMouseTracking(true);
    imgSchema->installEventFilter(this);

    panDescription = new TDescriptionStrip(panWorkfield);
    panDescription->setObjectName(QStringLiteral("panDescription"));
    panDescription->setGeometry(6, 290, 655, 51);
    panDescription->setFont(pixelFont(QStringLiteral("Tahoma"), 19, true));
    kelvo::setColours(panDescription, QColor(236, 249, 255), Qt::black);
    panDescription->hide();
    anchor(panDescription, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    lbDescr1 = makeDescriptionLine(
        panDescription, 4, pixelFont(QStringLiteral("Tahoma"), 19, true), QStringLiteral("lbDescr1"));
    lbDescr2
        = makeDescriptionLine(panDescription, 26, pixelFont(QStringLiteral("Tahoma"), 13), QStringLiteral("lbDescr2"));

    panInstruction = makePanel(panLabBackground, QRect(6, 409, 523, 129), Bevel::Raised);
    panInstruction->setObjectName(QStringLiteral("panInstruction"));
    anchor(panInstruction, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    lbInstrCaption = makeCaption(
        panInstruction, QRect(7, 8, 509, 20), Texts::InstructionCaption, QStringLiteral("lbInstrCaption"));

    bvInstr = new QFrame(panInstruction);
    bvInstr->setObjectName(QStringLiteral("bvInstr"));
    bvInstr->setGeometry(7, 32, 508, 89);
    bvInstr->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bvInstr->setLineWidth(1);
    anchor(bvInstr, AllEdges);

    mHint = new QPlainTextEdit(panInstruction);
    mHint->setObjectName(QStringLiteral("mHint"));
    mHint->setGeometry(16, 40, 491, 80);
    mHint->setReadOnly(true);
    mHint->setFrameStyle(QFrame::NoFrame);
    mHint->setFocusPolicy(Qt::ClickFocus);
    mHint->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mHint->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mHint->setFont(pixelFont(QStringLiteral("Tahoma"), 11));
    mHint->document()->setDocumentMargin(1);
    kelvo::setColours(mHint, QApplication::palette().color(QPalette::Button));
    anchor(mHint, AllEdges);

    panLaunchpad = makePanel(panLabBackground, QRect(536, 409, 230, 129), Bevel::Raised);
    panLaunchpad->setObjectName(QStringLiteral("panLaunchpad"));
    anchor(panLaunchpad, Qt::RightEdge | Qt::BottomEdge);
    lbLabCaption
        = makeCaption(panLaunchpad, QRect(8, 8, 214, 20), Texts::ActionsCaption, QStringLiteral("lbLabCaption"));
    btInfo = makeActionButton(
        panLaunchpad, QRect(16, 32, 97, 89), Texts::InfoButton, QStringLiteral("LIFEBUOY"), QStringLiteral("btInfo"));
    btStop = makeActionButton(
        panLaunchpad, QRect(120, 32, 97, 89), Texts::MenuButton, QStringLiteral("STOP"), QStringLiteral("btStop"));
    connect(btInfo, &QPushButton::clicked, this, [this] { guarded([this] { btInfoClick(); }); });
    connect(btStop, &QPushButton::clicked, this, [this] { guarded([this] { btStopClick(); }); });
}
