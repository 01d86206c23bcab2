#pragma once

#include "PictureCache.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QFrame;
class QLabel;
class QPlainTextEdit;
class TBitButton;
class TDescriptionStrip;
class TDevEdit;
class TDevLabel;
class TDevShape;
class TDeviceDlg;
class TExperimentChapter;
class TLabWork;
class TMeasurementDevice;
class TSchemaDevice;
class TSchemaImage;
class TVariantButton;

// The laboratory page of the main window: the schema picture of the current experiment chapter
// with a control per device over it, a button per variant, the description strip of hint areas,
// the instruction text and the two action buttons.
//
// The main window makes the page visible and then calls tsLabShow(); errors raised there (a
// picture that cannot be loaded) propagate to the caller. Errors raised in the page's own event
// handlers are caught and reported through errorRaised().
class TLabPage final : public QWidget
{
    Q_OBJECT

public:
    explicit TLabPage(QWidget *parent = nullptr);
    ~TLabPage() override;
    Q_DISABLE_COPY_MOVE(TLabPage)

    // The lab work whose current chapter the page shows; not owned. Clears the last build.
    void setLabWork(TLabWork *labWork);
    // The value dialog to use; none means one of the page's own, made when first needed.
    void setDeviceDialog(TDeviceDlg *dialog);

    // The page has become the visible page: builds it for the current chapter and shows the values.
    void tsLabShow();
    void BuildLabPage();
    void UpdateDeviceTexts();
    void DeviceClick(TDevLabel *Sender);
    // Enter or Space on a device label: as a click, with the dialog placed at the label.
    void DeviceKeyPress(TDevLabel *Sender);
    void VariantClick(TVariantButton *Sender);
    void DeviceMove(TDevShape *Sender, Qt::KeyboardModifiers Shift, QPoint position);
    void imgSchemaMouseMove(Qt::KeyboardModifiers Shift, QPoint position);
    // The pointer moved over a measurement edit: one that shows no value has the strip say why.
    void MeasurementMove(TDevEdit *Sender);
    void ShowDescription(const QString &Line1, const QString &Line2, TDevShape *Shape);
    void HideDescription();
    void btInfoClick();
    void btStopClick();
    // The main window's size changed (also run when the page itself is resized): the background
    // follows the page's size.
    void FormResize();

    QFrame *panLabTop = nullptr;
    QLabel *lbLabTitle = nullptr;
    QFrame *panLabBackground = nullptr;
    QFrame *panSchema = nullptr;
    QLabel *lbSchemaCaption = nullptr;
    // The sunken two-pixel border of the work field; panWorkfield is its client area, the parent
    // of every control that a build makes, in whose coordinates they are placed.
    QFrame *panWorkfieldFrame = nullptr;
    QWidget *panWorkfield = nullptr;
    TSchemaImage *imgSchema = nullptr;
    TDescriptionStrip *panDescription = nullptr;
    QLabel *lbDescr1 = nullptr;
    QLabel *lbDescr2 = nullptr;
    QFrame *panInstruction = nullptr;
    QLabel *lbInstrCaption = nullptr;
    QFrame *bvInstr = nullptr;
    QPlainTextEdit *mHint = nullptr;
    QFrame *panLaunchpad = nullptr;
    QLabel *lbLabCaption = nullptr;
    TBitButton *btInfo = nullptr;
    TBitButton *btStop = nullptr;

    // One entry per device of the built chapter, in the order of its devices: the control made
    // for it, or none.
    std::vector<QWidget *> DeviceControls;
    std::vector<TVariantButton *> VariantButtons;
    TVariantButton *CurrentVariantButton = nullptr;
    TDevShape *CurrentShape = nullptr;
    TDevEdit *CurrentFailure = nullptr; // the measurement whose failure the strip shows, or none

Q_SIGNALS:
    // "Меню" was pressed: the main window shows the menu page.
    void menuRequested();
    // "Указания..." selected the linked chapter and set ReturnIndex: the main window opens the
    // current chapter.
    void openCurrentChapterRequested();
    // A runtime error in one of the page's handlers, for the main window's error report.
    void errorRaised(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    TExperimentChapter *currentExperiment() const;
    TDeviceDlg *deviceDialog();
    void clearBuild();
    // The controls of the devices, placed with the picture's top-left corner at `picture`; returns
    // the edits among them.
    std::vector<QWidget *> buildDeviceControls(const TExperimentChapter &chapter, QPoint picture);
    QWidget *makeDeviceControl(const TSchemaDevice &device, int index, QPoint at);
    // One button per variant, when there are two or more.
    void buildVariantButtons(const TExperimentChapter &chapter);
    void setVariantLook(TVariantButton *button, bool current);
    // Tells assistive technology that the button now is (or no longer is) the current variant.
    void markCurrentVariant(TVariantButton *button, bool current);
    // Names the picture and the device controls after what they show, for a screen reader.
    void describeControls();
    void showMeasurement(TDevEdit *edit, const TMeasurementDevice &device);
    void guarded(const std::function<void()> &handler);

    // The keyboard on the bench: what the Tab key reaches, in what order, and what focus shows.
    void connectDeviceKeys(QWidget *control, bool settable);
    void orderTabStops();
    void shapeFocusChanged(TDevShape *shape, bool focused);
    void measurementFocusChanged(TDevEdit *edit, bool focused);
    // Opens the value dialog for the label's device at the screen point `at`.
    void setDeviceValue(TDevLabel *label, QPoint at);

    TLabWork *m_labWork = nullptr;
    // The chapter the controls were built for; their tags are indexes into its devices.
    TExperimentChapter *m_chapter = nullptr;
    TDeviceDlg *m_dialog = nullptr;
    PictureCache m_pictures;
    TDeviceDlg *m_ownDialog = nullptr; // made when the program has no dialog; a child of the page
};
