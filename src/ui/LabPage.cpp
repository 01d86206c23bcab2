#include "LabPage.h"

#include "AccessibleControls.h"
#include "Anchors.h"
#include "BitButton.h"
#include "DescriptionStrip.h"
#include "DeviceControls.h"
#include "DeviceDlg.h"
#include "ExperimentChapter.h"
#include "LabWork.h"
#include "Localization.h"
#include "PictureLimits.h"
#include "RuntimeErrors.h"
#include "SchemaImage.h"
#include "TextFormat.h"
#include "VariantButton.h"
#include "WidgetLook.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>
#include <exception>

namespace {

constexpr int VariantButtonWidth = 70;
constexpr int VariantButtonHeight = 60;
constexpr int VariantCaptionMargin = 4;

// A device's coordinate plus the picture's offset, held to the coordinates a widget can take
// (a schema file may give any 32-bit number).
int placeOnField(qint32 coordinate, int offset)
{
    return int(std::clamp(qint64(coordinate) + offset, qint64(-QWIDGETSIZE_MAX), qint64(QWIDGETSIZE_MAX)));
}

int sizeOnField(qint32 length)
{
    return qBound(0, length, QWIDGETSIZE_MAX);
}

} // namespace

TLabPage::TLabPage(QWidget *parent)
    : QWidget(parent)
    // Room for the picture shown and one more of the largest size: switching back and forth
    // between two variants decodes nothing again.
    , m_pictures(2 * kelvo::pictures::MaxPicturePixels)
{
    kelvo::installAccessibleControls();
    createControls();
}

TLabPage::~TLabPage()
{
    // QWidget's destructor deletes the controls after this part of the page is gone; the focus
    // leaving one of them then must not reach the page's handlers.
    const QList<QWidget *> controls = findChildren<QWidget *>();
    for (QWidget *control : controls)
        control->disconnect(this);
}

void TLabPage::setLabWork(TLabWork *labWork)
{
    CurrentShape = nullptr;
    clearBuild();
    m_chapter = nullptr;
    m_labWork = labWork;
    m_pictures.clear();
}

void TLabPage::setDeviceDialog(TDeviceDlg *dialog)
{
    m_dialog = dialog;
}

TDeviceDlg *TLabPage::deviceDialog()
{
    if (m_dialog)
        return m_dialog;
    if (!m_ownDialog)
        m_ownDialog = new TDeviceDlg(this);
    return m_ownDialog;
}

TExperimentChapter *TLabPage::currentExperiment() const
{
    return m_labWork ? dynamic_cast<TExperimentChapter *>(m_labWork->CurrentChapter()) : nullptr;
}

void TLabPage::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const ERuntimeError &error) {
        Q_EMIT errorRaised(error.message());
    } catch (const std::exception &error) {
        Q_EMIT errorRaised(QString::fromUtf8(error.what()));
    }
}

void TLabPage::tsLabShow()
{
    mHint->setPlainText(Texts::LabPageHint);
    FormResize();
    TExperimentChapter *chapter = currentExperiment();
    btInfo->setEnabled(chapter && chapter->LinkedChapter != 0);
    BuildLabPage();
    if (chapter)
        chapter->Recalculate();
    UpdateDeviceTexts();
}

void TLabPage::clearBuild()
{
    CurrentFailure = nullptr;
    for (QWidget *&control : DeviceControls) {
        delete control;
        control = nullptr;
    }
    DeviceControls.clear();
    for (TVariantButton *button : VariantButtons)
        delete button;
    VariantButtons.clear();
    CurrentVariantButton = nullptr;
}

void TLabPage::BuildLabPage()
{
    CurrentShape = nullptr;
    CurrentFailure = nullptr;
    TExperimentChapter *chapter = currentExperiment();
    if (!chapter)
        return;
    clearBuild();
    m_chapter = chapter;

    // A picture that cannot be loaded stops the build here, with the last picture still shown.
    imgSchema->setPicture(m_pictures.load(chapter->ImageFile));

    // Centred on the work field's outer size, as the picture control is placed in its client area.
    const QSize outer = panWorkfieldFrame->size();
    const int left = (outer.width() - imgSchema->width()) / 2;
    const int top = (outer.height() - imgSchema->height()) / 2;
    imgSchema->move(left, top);

    const std::vector<QWidget *> edits = buildDeviceControls(*chapter, QPoint(left, top));
    buildVariantButtons(*chapter);

    // Edits, the strip and buttons stand above the picture, the labels and the frames, in the
    // order they were made.
    panDescription->raise();
    for (QWidget *edit : edits)
        edit->raise();
    for (TVariantButton *button : VariantButtons)
        button->raise();

    orderTabStops();
    btStop->setFocus(Qt::OtherFocusReason);
}

std::vector<QWidget *> TLabPage::buildDeviceControls(const TExperimentChapter &chapter, QPoint picture)
{
    const int count = chapter.Devices.Count();
    DeviceControls.assign(size_t(count), nullptr);
    std::vector<QWidget *> edits;
    for (int i = 0; i < count; ++i) {
        const TSchemaDevice *device = chapter.Devices.Device(i);
        const QPoint at(placeOnField(device->Left, picture.x()), placeOnField(device->Top, picture.y()));
        QWidget *control = makeDeviceControl(*device, i, at);
        if (!control)
            continue;
        if (qobject_cast<TDevEdit *>(control))
            edits.push_back(control);
        control->show();
        DeviceControls[size_t(i)] = control;
    }
    return edits;
}

QWidget *TLabPage::makeDeviceControl(const TSchemaDevice &device, int index, QPoint at)
{
    if (dynamic_cast<const TPassiveDevice *>(&device)) {
        auto *label = new TDevLabel(panWorkfield);
        label->ApplyProperties();
        label->move(at);
        label->Tag = index;
        connect(label, &TDevLabel::clicked, this, [this, label] { guarded([this, label] { DeviceClick(label); }); });
        connectDeviceKeys(label, static_cast<const TPassiveDevice &>(device).Ajustable);
        return label;
    }
    if (dynamic_cast<const TMeasurementDevice *>(&device)) {
        auto *edit = new TDevEdit(panWorkfield);
        edit->ApplyProperties();
        edit->move(at);
        edit->resize(sizeOnField(device.Width), edit->height());
        edit->Tag = index;
        connect(
            edit, &TDevEdit::mouseMoved, this, [this](TDevEdit *sender) { guarded([&] { MeasurementMove(sender); }); });
        connectDeviceKeys(edit, false);
        return edit;
    }
    if (const auto *area = dynamic_cast<const TAreaDevice *>(&device)) {
        auto *shape = new TDevShape(panWorkfield);
        shape->ApplyProperties();
        shape->setGeometry(at.x(), at.y(), sizeOnField(device.Width), sizeOnField(device.Height));
        shape->Hint = area->Hint;
        shape->Tag = index;
        connect(shape, &TDevShape::mouseMoved, this,
            [this](TDevShape *sender, Qt::KeyboardModifiers modifiers, QPoint position) {
                guarded([&] { DeviceMove(sender, modifiers, position); });
            });
        connectDeviceKeys(shape, !shape->Hint.isEmpty() && shape->Hint != u"|" && !shape->size().isEmpty());
        return shape;
    }
    return nullptr;
}

void TLabPage::buildVariantButtons(const TExperimentChapter &chapter)
{
    const int variants = chapter.Variants.Count();
    if (variants < 2)
        return;
    const QSize client = panWorkfield->size();
    for (int i = 0; i < variants; ++i) {
        const TSchemeVariant *variant = chapter.Variants.Variant(i);
        auto *button = new TVariantButton(variant->Title, variant->SectionName, panWorkfield);
        button->setObjectName(QStringLiteral("VariantButton%1").arg(i));
        const bool current = variant->SectionName == chapter.CurrentVariant;
        setVariantLook(button, current);
        if (current)
            CurrentVariantButton = button;
        button->setGeometry(client.width() - 76, client.height() - 5 + (i - variants) * (VariantButtonHeight + 1),
            VariantButtonWidth, VariantButtonHeight);
        kelvo::anchor(button, Qt::RightEdge | Qt::BottomEdge);
        connect(
            button, &QPushButton::clicked, this, [this, button] { guarded([this, button] { VariantClick(button); }); });
        button->show();
        VariantButtons.push_back(button);
    }
}

void TLabPage::setVariantLook(TVariantButton *button, bool current)
{
    QFont font = kelvo::pointFont(QStringLiteral("Tahoma"), 10);
    font.setBold(current);
    // A caption the substitute font draws wider than the button gets a smaller size, not lost letters.
    button->setFont(kelvo::fittingFont(font, button->text(), VariantButtonWidth - 2 * VariantCaptionMargin));
    button->setGlyph(current ? QStringLiteral("GREEN_ON") : QStringLiteral("GREEN_OFF"));
    markCurrentVariant(button, current);
}

void TLabPage::UpdateDeviceTexts()
{
    if (!m_chapter)
        return;
    const int count = qMin(m_chapter->Devices.Count(), int(DeviceControls.size()));
    for (int i = 0; i < count; ++i) {
        const TSchemaDevice *device = m_chapter->Devices.Device(i);
        QWidget *control = DeviceControls[size_t(i)];
        if (dynamic_cast<const TPassiveDevice *>(device)) {
            if (auto *label = dynamic_cast<TDevLabel *>(control))
                label->setCaption(kelvo::format(Texts::PassiveDeviceText, { device->Value, device->Unit }));
        } else if (const auto *measurement = dynamic_cast<const TMeasurementDevice *>(device)) {
            if (auto *edit = dynamic_cast<TDevEdit *>(control))
                showMeasurement(edit, *measurement);
        }
    }
    if (CurrentFailure && CurrentFailure->Failure.isEmpty()) {
        CurrentFailure = nullptr;
        HideDescription();
    }
    describeControls();
}

void TLabPage::showMeasurement(TDevEdit *edit, const TMeasurementDevice &device)
{
    // A value text that no longer evaluates shows no number at all: the last one would be stale.
    if (device.ValueError.isEmpty()) {
        edit->Failure.clear();
        edit->setText(kelvo::format(Texts::MeasurementDeviceText, { device.Value, device.Unit }));
    } else {
        edit->Failure = kelvo::format(Texts::MeasurementFailedLine2, { device.ValueText, device.ValueError });
        edit->setText(Texts::MeasurementFailedText);
    }
}

void TLabPage::MeasurementMove(TDevEdit *Sender)
{
    if (!Sender || Sender->Failure.isEmpty() || CurrentFailure == Sender)
        return;
    if (CurrentShape)
        CurrentShape->HideIt();
    lbDescr1->setText(Texts::MeasurementFailedLine1);
    lbDescr2->setText(Sender->Failure);
    panDescription->clear();
    panDescription->show();
    CurrentFailure = Sender;
}

void TLabPage::DeviceClick(TDevLabel *Sender)
{
    setDeviceValue(Sender, QCursor::pos());
}

void TLabPage::setDeviceValue(TDevLabel *Sender, QPoint at)
{
    if (!m_chapter || !Sender)
        return;
    auto *device = dynamic_cast<TPassiveDevice *>(m_chapter->Devices.Device(Sender->Tag));
    if (!device)
        return;
    if (!device->Ajustable) {
        QApplication::beep();
        return;
    }
    TDeviceDlg *dialog = deviceDialog();
    dialog->setWindowTitle(Texts::DeviceDialogCaption);
    dialog->SetInstructions(kelvo::format(Texts::DeviceInstructions, { device->Title }));
    if (!dialog->Execute(at.x(), at.y(), *device))
        return;
    device->Value = dialog->Value;
    m_chapter->Recalculate();
    UpdateDeviceTexts();
}

void TLabPage::VariantClick(TVariantButton *Sender)
{
    if (!m_chapter || !Sender || !m_chapter->ActivateVariant(Sender->SectionName))
        return;
    if (CurrentVariantButton)
        setVariantLook(CurrentVariantButton, false);
    setVariantLook(Sender, true);
    // Taken before the picture loads, so that a picture that fails leaves the lit button known.
    CurrentVariantButton = Sender;
    // The picture keeps its top-left corner; the controls stay where they are.
    imgSchema->setPicture(m_pictures.load(m_chapter->ImageFile));
    m_chapter->Recalculate();
    UpdateDeviceTexts();
}

void TLabPage::DeviceMove(TDevShape *Sender, Qt::KeyboardModifiers, QPoint)
{
    if (!Sender)
        return;
    if (CurrentShape && CurrentShape != Sender)
        CurrentShape->HideIt();
    const QString &hint = Sender->Hint;
    const qsizetype bar = hint.indexOf(u'|');
    if (bar < 0)
        ShowDescription(hint, QString(), Sender);
    else
        ShowDescription(hint.left(bar), hint.mid(bar + 1), Sender);
}

void TLabPage::ShowDescription(const QString &Line1, const QString &Line2, TDevShape *Shape)
{
    if (Line1.isEmpty() && Line2.isEmpty())
        return;
    if (!Line2.isEmpty()) {
        lbDescr1->setText(Line1);
        lbDescr2->setText(Line2);
        panDescription->clear();
    } else {
        lbDescr1->clear();
        lbDescr2->clear();
        panDescription->setText(Line1);
    }
    panDescription->show();
    Shape->ShowIt();
    CurrentShape = Shape;
    CurrentFailure = nullptr;
}

void TLabPage::imgSchemaMouseMove(Qt::KeyboardModifiers, QPoint)
{
    if (CurrentShape)
        CurrentShape->HideIt();
    HideDescription();
}

void TLabPage::HideDescription()
{
    CurrentFailure = nullptr;
    panDescription->hide();
}

void TLabPage::btInfoClick()
{
    TExperimentChapter *chapter = currentExperiment();
    if (!chapter || chapter->LinkedChapter == 0)
        return;
    m_labWork->ReturnIndex = m_labWork->CurrentIndex;
    if (m_labWork->SelectByIdentifier(chapter->LinkedChapter))
        Q_EMIT openCurrentChapterRequested();
    else
        m_labWork->ReturnIndex = -1;
}

void TLabPage::btStopClick()
{
    Q_EMIT menuRequested();
}

void TLabPage::FormResize()
{
    // The page's own size: the main window's client area, or more when the window holds the page
    // in a scrolled view.
    const QSize client = size();
    panLabBackground->resize(client.width(), qMax(0, client.height() - 50));
}

void TLabPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

bool TLabPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && (watched == imgSchema || watched == panWorkfield)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        imgSchemaMouseMove(mouse->modifiers(), mouse->position().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}
