// The demo lab work played by the real program in a window of its own X server, the way a
// student goes through it: the menu with its locks, the theory read to its end, the admission
// quiz answered right, measurements on the bench with the instructions opened from it, and the
// exit, after which no unpacked file is left.
// The mouse and keyboard go through xdotool; what the program shows is read from the screen,
// from the primary selection and, for the HTML viewer, from the web engine's debugging port.

#include "Desktop.h"
#include "DevTools.h"
#include "QuizKey.h"
#include "WindowLayout.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace kelvo::e2e;

namespace {

// The demo's chapters in menu order, and its admission quiz.
enum Chapter { Theory, Admission, Instructions, Bench, Report, ChapterCount };
constexpr int AdmissionIdentifier = 2;
constexpr int AdmissionQuestions = 5;

const QString MainWindowTitle = QStringLiteral("^Kelvo 1\\.0$");
const QString AttentionTitle = QStringLiteral("^Внимание$");
const QString ValueDialogTitle = QStringLiteral("^Значение$");
constexpr int StartTimeoutMs = 30000;
constexpr int StepTimeoutMs = 10000;

const QColor Navy(0, 0, 128);

// With KELVO_SCREENSHOT_DIR set, the screen at the steps a reader of the README sees is saved there.
void screenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("KELVO_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        grabScreen().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}
const QColor FullMarks(0, 128, 0);
const QColor DescriptionStrip(236, 249, 255);

// The sections of an INI file in file order, each with its keys (a tiny reader for the demo's
// own sources, which are UTF-8).
using IniSections = QList<QPair<QString, QMap<QString, QString>>>;

IniSections readIni(const QString &path)
{
    IniSections sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']'))
            sections.append({ line.mid(1, line.size() - 2), {} });
        else if (!sections.isEmpty() && !line.startsWith(u';') && line.contains(u'='))
            sections.last().second.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return sections;
}

// A value as a device shows it ("23,14 мА", with the regional decimal separator).
std::optional<double> numberIn(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(?:[.,]\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured().replace(u',', u'.').toDouble();
}

QString jsString(const QString &text)
{
    const QByteArray json = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// Two masks show the same text when they differ only by a few pixels at the edges of letters.
bool sameText(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    int ink = 0;
    int different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const bool inkA = qGray(a.pixel(x, y)) > 0;
            ink += inkA ? 1 : 0;
            different += inkA != (qGray(b.pixel(x, y)) > 0) ? 1 : 0;
        }
    }
    return ink > 20 && different * 20 < ink;
}

} // namespace

class TestDemoWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void menuShowsWhatIsLocked();
    void lockedChapterIsRefused();
    void readingTheTheoryCompletesIt();
    void admissionPassesWithTheRightAnswers();
    void benchMeasuresAsOhmsLawSays();
    void exitLeavesNoFiles();

private:
    QRect menuButton(int index) const;
    int programWindows() const;
    bool glyphIsOpen(const QImage &screen, int index) const;
    std::optional<QJsonValue> page(const QString &expression, QString *error = nullptr);
    bool waitForPage(const QString &condition, int timeoutMs = StepTimeoutMs);
    QPoint onScreen(const QJsonValue &viewportPoint);
    bool pressPageButton(const QString &selector, const std::function<bool()> &pressed);
    QString answer(const QString &name, const QString &value);
    QString setControl(const QString &name, const QString &value);
    std::optional<QPoint> findBenchPicture() const;
    QMap<QString, QString> schemaSection(const QString &name) const;
    QPoint devicePoint(const QString &section, QPoint inside) const;
    std::optional<double> readDevice(const QString &section);
    std::optional<QString> selectAll();
    bool waitForDevice(const QString &section, const std::function<bool(double)> &condition);
    int variantIndex(const QString &title) const;
    QString report(const QString &what);
    QString deviceFailure(const QString &what) const;

    QTemporaryDir m_tmp;
    QTemporaryDir m_runtime;
    QProcess m_kelvo;
    std::unique_ptr<DevTools> m_devTools;
    QRect m_window;
    QString m_source;
    IniSections m_schema;
    QPoint m_bench; // the top-left corner of the bench's picture on the screen
    QString m_lostDrag; // the device whose reading lost its drag
};

void TestDemoWindow::initTestCase()
{
    const QString program = qEnvironmentVariable("KELVO_BINARY");
    const QString package = qEnvironmentVariable("KELVO_DEMO_PACKAGE");
    m_source = qEnvironmentVariable("KELVO_DEMO_SOURCE");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(QStringLiteral("no program at ") + program));
    QVERIFY2(QFileInfo::exists(package), qPrintable(QStringLiteral("no package at ") + package));
    QVERIFY2(!m_source.isEmpty() && QDir(m_source).exists(), qPrintable(QStringLiteral("no sources at ") + m_source));
    QVERIFY(m_tmp.isValid() && m_runtime.isValid());
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(windowsTitled(MainWindowTitle).isEmpty(), "another Kelvo runs on this display");

    const quint16 port = freePort();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The run's own temporary folder: whatever is left in it after the exit was left by the run.
    environment.insert(QStringLiteral("TMPDIR"), m_tmp.path());
    // A desktop session has its runtime folder; without one, Qt would make it in TMPDIR.
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.insert(QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"), QStringLiteral("127.0.0.1:%1").arg(port));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_kelvo.setProcessEnvironment(environment);
    m_kelvo.setProcessChannelMode(QProcess::MergedChannels);
    m_kelvo.start(program, { package });
    QVERIFY2(m_kelvo.waitForStarted(), qPrintable(m_kelvo.errorString()));

    QVERIFY2(waitFor(
                 [this] {
                     const QList<Window> windows = windowsTitled(MainWindowTitle);
                     if (windows.isEmpty() || windows.first().geometry.width() < 793)
                         return false;
                     m_window = windows.first().geometry;
                     return countColour(grabScreen(), m_window, Navy) > 10000;
                 },
                 StartTimeoutMs),
        qPrintable(report(QStringLiteral("the menu did not show"))));

    m_devTools = std::make_unique<DevTools>(port);
    QString error;
    QVERIFY2(waitFor([&] { return m_devTools->connectToPage(&error); }, StartTimeoutMs),
        qPrintable(report(QStringLiteral("no web page to read: ") + error)));
}

void TestDemoWindow::cleanup()
{
    if (!QTest::currentTestFailed())
        return;
    const QString shot = QDir::current().absoluteFilePath(
        QStringLiteral("e2e-%1.png").arg(QString::fromLatin1(QTest::currentTestFunction())));
    grabScreen().save(shot);
    qInfo("screen at the failure: %s", qPrintable(shot));
}

void TestDemoWindow::cleanupTestCase()
{
    if (m_kelvo.state() != QProcess::NotRunning) {
        m_kelvo.kill();
        m_kelvo.waitForFinished(5000);
    }
}

QString TestDemoWindow::report(const QString &what)
{
    return what + QStringLiteral("\nprogram output:\n") + QString::fromLocal8Bit(m_kelvo.readAll());
}

// What a failed reading of a device says.
QString TestDemoWindow::deviceFailure(const QString &what) const
{
    return m_lostDrag.isEmpty() ? what : what + QStringLiteral(" (the program lost the drag over ") + m_lostDrag + u')';
}

// How many windows the program shows (its main window, dialogs and popups).
int TestDemoWindow::programWindows() const
{
    const std::optional<QString> ids = xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
        QStringLiteral("--pid"), QString::number(m_kelvo.processId()) });
    return ids ? int(ids->split(u'\n', Qt::SkipEmptyParts).size()) : 0;
}

QRect TestDemoWindow::menuButton(int index) const
{
    return layout::menuButton(m_window.size(), index, ChapterCount).translated(m_window.topLeft());
}

bool TestDemoWindow::glyphIsOpen(const QImage &screen, int index) const
{
    // The open glyph is a red bubble, the locked one grey.
    return countPixels(screen, layout::menuGlyph(menuButton(index)), isRed) > 40;
}

std::optional<QJsonValue> TestDemoWindow::page(const QString &expression, QString *error)
{
    return m_devTools->evaluate(expression, error);
}

bool TestDemoWindow::waitForPage(const QString &condition, int timeoutMs)
{
    return waitFor(
        [&] {
            const std::optional<QJsonValue> value = page(QStringLiteral("!!(") + condition + u')');
            return value && value->toBool();
        },
        timeoutMs);
}

QPoint TestDemoWindow::onScreen(const QJsonValue &viewportPoint)
{
    const int viewportWidth = page(QStringLiteral("window.innerWidth")).value_or(QJsonValue(0)).toInt();
    const QPoint origin = m_window.topLeft() + layout::viewportOrigin(m_window.size(), viewportWidth);
    return origin
        + QPoint(qRound(viewportPoint[QStringLiteral("x")].toDouble()),
            qRound(viewportPoint[QStringLiteral("y")].toDouble()));
}

// Presses a button of the document shown, as a student does once the page is there: the
// document and its pictures loaded, the button brought into view and the topmost element where
// the mouse goes. One click, which must do its work.
bool TestDemoWindow::pressPageButton(const QString &selector, const std::function<bool()> &pressed)
{
    std::optional<QJsonValue> box;
    const bool ready = waitFor(
        [&] {
            box = page(QStringLiteral(R"((function (selector) {
                const button = document.querySelector(selector);
                if (!button || document.readyState !== 'complete'
                        || !Array.from(document.images).every(i => i.complete))
                    return null;
                button.scrollIntoView({block: 'center'});
                const box = button.getBoundingClientRect();
                const x = box.left + box.width / 2;
                const y = box.top + box.height / 2;
                return document.elementFromPoint(x, y) === button ? {x: x, y: y} : null;
            })(%1))")
                           .arg(jsString(selector)));
            return box && box->isObject();
        },
        StepTimeoutMs);
    if (!ready) {
        qWarning("the page never showed %s ready to be pressed", qPrintable(selector));
        return false;
    }
    click(onScreen(*box));
    return waitFor(pressed, StepTimeoutMs);
}

// Sets the control of the quiz form that an answer line names to the answer, as a student
// does: a click on the choice, typing into the field, the arrow keys in a list. The control must
// take the answer at the first try.
QString TestDemoWindow::answer(const QString &name, const QString &value)
{
    const QString error = setControl(name, value);
    if (!error.isEmpty())
        return error;
    if (waitForPage(QStringLiteral(R"((function (name, value) {
            const form = document.querySelector('form[action=":quest"]');
            return Array.from(form.elements).some(e => e.name === name &&
                ((e.type === 'radio' || e.type === 'checkbox')
                    ? e.checked && (e.hasAttribute('value') ? e.value : 'on') === value
                    : e.value === value));
        })(%1, %2))")
                        .arg(jsString(name), jsString(value))))
        return {};
    return QStringLiteral("%1 does not take the answer %2").arg(name, value);
}

QString TestDemoWindow::setControl(const QString &name, const QString &value)
{
    QString error;
    const std::optional<QJsonValue> control = page(QStringLiteral(R"((function (name, value) {
        const form = document.querySelector('form[action=":quest"]');
        const named = Array.from(form.elements).filter(e => e.name === name);
        if (!named.length)
            return {error: 'no control named ' + name};
        let element = named[0];
        let kind = element.type;
        if (kind === 'radio' || kind === 'checkbox') {
            element = named.find(e => (e.hasAttribute('value') ? e.value : 'on') === value);
            if (!element)
                return {error: 'no choice ' + value + ' for ' + name};
            if (element.checked)
                return {kind: 'done'};
        }
        element.scrollIntoView({block: 'center'});
        const box = element.getBoundingClientRect();
        const result = {kind: kind, x: box.left + box.width / 2, y: box.top + box.height / 2};
        if (element.tagName === 'SELECT') {
            result.kind = element.size > 1 ? 'listbox' : 'dropdown';
            result.y = element.size > 1 ? box.top + 6 : result.y;
            result.steps = Array.from(element.options).findIndex(o => o.value === value);
        }
        return result;
    })(%1, %2))")
                                                       .arg(jsString(name), jsString(value)),
        &error);
    if (!control)
        return error;
    if (control->toObject().contains(QStringLiteral("error")))
        return (*control)[QStringLiteral("error")].toString();

    const QString kind = (*control)[QStringLiteral("kind")].toString();
    if (kind == u"done")
        return {};
    const int windowsBefore = programWindows();
    click(onScreen(*control));
    // The click has done its work once the control has the keyboard.
    if (!waitForPage(
            QStringLiteral("document.activeElement && document.activeElement.name === %1").arg(jsString(name))))
        return QStringLiteral("a click on %1 did not reach it").arg(name);
    if (kind == u"text") {
        pressKeys(QStringLiteral("ctrl+a"));
        typeText(value);
    } else if (kind == u"dropdown" || kind == u"listbox") {
        // A click opens the drop-down's list in a window of its own (Escape closes it again) or
        // picks the list box's first entry; the arrow keys then walk to the answer.
        if (kind == u"dropdown") {
            if (!waitFor([&] { return programWindows() > windowsBefore; }, StepTimeoutMs))
                return QStringLiteral("the list of %1 did not open").arg(name);
            pressKeys(QStringLiteral("Escape"));
            if (!waitFor([&] { return programWindows() == windowsBefore; }, StepTimeoutMs))
                return QStringLiteral("the list of %1 did not close").arg(name);
        }
        pressKeys(QStringLiteral("Home"));
        for (int i = 0; i < (*control)[QStringLiteral("steps")].toInt(); ++i)
            pressKeys(QStringLiteral("Down"));
    }
    return {};
}

void TestDemoWindow::menuShowsWhatIsLocked()
{
    screenshot(QStringLiteral("menu"));
    const QImage screen = grabScreen();
    QVERIFY2(glyphIsOpen(screen, Theory), "the theory requires nothing");
    QVERIFY2(!glyphIsOpen(screen, Admission), "the admission requires the theory");
    QVERIFY2(glyphIsOpen(screen, Instructions), "the instructions require nothing");
    QVERIFY2(!glyphIsOpen(screen, Bench), "the bench requires the admission");
    QVERIFY2(!glyphIsOpen(screen, Report), "the report requires the admission");
}

void TestDemoWindow::lockedChapterIsRefused()
{
    click(menuButton(Bench).center());
    const std::optional<Window> message = waitForWindow(AttentionTitle, StepTimeoutMs);
    QVERIFY2(message, "a locked chapter explains why it does not open");
    focusWindow(*message);
    pressKeys(QStringLiteral("Return"));
    QVERIFY2(waitFor([] { return windowsTitled(AttentionTitle).isEmpty(); }, StepTimeoutMs), "OK closes the message");
    const QImage screen = grabScreen();
    QVERIFY2(countColour(screen, m_window, Navy) > 10000, "the menu stays");
    QVERIFY(!glyphIsOpen(screen, Bench));
}

void TestDemoWindow::readingTheTheoryCompletesIt()
{
    click(menuButton(Theory).center());
    QVERIFY2(waitForPage(QStringLiteral("document.querySelector('h1') && "
                                        "document.querySelector('h1').textContent === 'Закон Ома для участка цепи'")),
        "the theory opens");
    QVERIFY2(waitForPage(QStringLiteral("document.images.length === 2 && "
                                        "Array.from(document.images).every(i => i.complete && i.naturalWidth > 0)")),
        "its pictures load, whatever the letter case of their names");
    QVERIFY2(waitForPage(QStringLiteral("getComputedStyle(document.querySelector('h1')).color === 'rgb(0, 128, 192)'")),
        "its style sheet applies");
    QVERIFY2(
        waitForPage(QStringLiteral("document.querySelectorAll('table.data td').length >= 15")), "its table is there");
    screenshot(QStringLiteral("information"));

    // The viewer has the keyboard from the start: the student reads on with the keys.
    QVERIFY(waitForPage(QStringLiteral("window.scrollY === 0")));
    pressKeys(QStringLiteral("End"));
    QVERIFY2(
        waitForPage(QStringLiteral("window.scrollY + window.innerHeight >= document.documentElement.scrollHeight - 2")),
        "End scrolls to the end of the document");

    QVERIFY2(
        waitForPage(QStringLiteral("document.querySelector('form[action=\"?system\"] input[type=submit]').value === "
                                   "'   Все прочитано, назад.   '")),
        "the document ends with the read-confirmation button");
    QVERIFY2(pressPageButton(QStringLiteral("form[action=\"?system\"] input[type=submit]"),
                 [this] { return glyphIsOpen(grabScreen(), Admission); }),
        "back on the menu, the admission is open");
    QVERIFY(!glyphIsOpen(grabScreen(), Bench));
}

void TestDemoWindow::admissionPassesWithTheRightAnswers()
{
    const QMap<int, QList<QuestionFile>> files = readQuestionFiles(m_source, AdmissionIdentifier, AdmissionQuestions);
    click(menuButton(Admission).center());
    QVERIFY2(waitForPage(QStringLiteral("document.querySelector('form[action=\":quest\"]') !== null && "
                                        "document.body.textContent.includes('Попытка номер: 1')")),
        "the quiz opens at attempt 1");
    QVERIFY2(waitForPage(QStringLiteral(
                 "getComputedStyle(document.querySelector('h1')).backgroundColor === 'rgb(0, 128, 192)'")),
        "the quiz's own style sheet applies");

    const std::optional<QJsonValue> shown = page(QStringLiteral(R"((function () {
        const form = document.querySelector('form[action=":quest"]').cloneNode(true);
        form.querySelectorAll('select').forEach(s => s.remove());
        return form.textContent.replace(/\s+/g, '');
    })())"));
    QVERIFY(shown);

    QList<QPair<QString, QString>> answers;
    for (int q = 1; q <= AdmissionQuestions; ++q) {
        const QuestionFile *file = shownFile(files.value(q), shown->toString());
        QVERIFY2(file, qPrintable(QStringLiteral("which file question %1 comes from").arg(q)));
        QVERIFY2(!file->answers.isEmpty(), qPrintable(file->name));
        answers.append(file->answers.first());
    }
    for (const auto &[name, value] : std::as_const(answers)) {
        const QString error = answer(name, value);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    screenshot(QStringLiteral("quiz"));
    std::optional<Window> results;
    QVERIFY2(pressPageButton(QStringLiteral("#submit_button"),
                 [&] {
                     for (const Window &window : windowsTitled(MainWindowTitle)) {
                         if (window.geometry.size() == layout::ResultsDialog)
                             results = window;
                     }
                     return results.has_value();
                 }),
        "the check button brings the results dialog");
    const QPoint dialog = results->geometry.topLeft();
    QImage screen;
    QVERIFY2(waitFor(
                 [&] {
                     screen = grabScreen();
                     return countColour(screen, layout::ResultsPercent.translated(dialog), FullMarks) > 30;
                 },
                 StepTimeoutMs),
        "the percentage is written in the green of full marks");
    screenshot(QStringLiteral("results"));
    QVERIFY2(sameText(inkMask(screen, layout::ResultsTotal.translated(dialog)),
                 inkMask(screen, layout::ResultsRight.translated(dialog))),
        "as many right as there are questions");

    focusWindow(*results);
    pressKeys(QStringLiteral("Return"));
    QVERIFY2(waitFor([&] { return windowsTitled(MainWindowTitle).size() == 1; }, StepTimeoutMs), "Enter closes it");

    // The demo's admission asks for the review: the checked page again, every question marked right.
    QVERIFY2(waitForPage(QStringLiteral("document.querySelectorAll('div.review_right').length === %1 && "
                                        "document.querySelectorAll('div.review_wrong').length === 0 && "
                                        "Array.from(document.querySelectorAll('input, select'))"
                                        ".every(c => c.disabled || c.id === 'return_button')")
                             .arg(AdmissionQuestions)),
        "the review shows every question marked right, read-only");
    screenshot(QStringLiteral("review"));
    QVERIFY2(pressPageButton(QStringLiteral("#return_button"),
                 [this] {
                     const QImage menu = grabScreen();
                     return glyphIsOpen(menu, Admission) && glyphIsOpen(menu, Bench) && glyphIsOpen(menu, Report);
                 }),
        "its button leads to the menu, where the passed admission unlocks the bench and the report");
}

// The bench's picture is centred in the work field: it is found by its top wire, the highest
// black line there longer than 200 pixels, drawn from (130, 60) of the picture. Black is dark
// in every channel: the menu's navy, which shows there until the laboratory page comes, is not.
std::optional<QPoint> TestDemoWindow::findBenchPicture() const
{
    const QImage screen = grabScreen();
    const QRect field = layout::workField(m_window.size()).translated(m_window.topLeft());
    if (countColour(screen, field, Navy) > 0)
        return std::nullopt;
    for (int y = field.top(); y <= field.bottom(); ++y) {
        int run = 0;
        for (int x = field.left(); x <= field.right(); ++x) {
            const QRgb pixel = screen.pixel(x, y);
            run = qMax(qRed(pixel), qMax(qGreen(pixel), qBlue(pixel))) < 80 ? run + 1 : 0;
            if (run == 200)
                return QPoint(x - run + 1 - 129, y - 59);
        }
    }
    return std::nullopt;
}

QMap<QString, QString> TestDemoWindow::schemaSection(const QString &name) const
{
    for (const auto &[section, keys] : m_schema) {
        if (section == name)
            return keys;
    }
    return {};
}

QPoint TestDemoWindow::devicePoint(const QString &section, QPoint inside) const
{
    const QMap<QString, QString> keys = schemaSection(section);
    return m_bench + QPoint(keys.value(QStringLiteral("Left")).toInt(), keys.value(QStringLiteral("Top")).toInt())
        + inside;
}

int TestDemoWindow::variantIndex(const QString &title) const
{
    int index = 0;
    for (const auto &[section, keys] : m_schema) {
        if (!section.startsWith(QLatin1String("__")))
            continue;
        if (keys.value(QStringLiteral("Title")) == title)
            return index;
        ++index;
    }
    return -1;
}

// A measuring device's value, read as a student copies it: the mouse drawn over it selects it,
// and the program offers the selection to others. Each drag must claim the selection anew: the
// clipboard reports every claim, even of the text it held, so a drag the program lost shows.
// The test never takes the selection itself (an owner that another program's later claim
// outdates would keep answering with its own text).
std::optional<double> TestDemoWindow::readDevice(const QString &section)
{
    const QMap<QString, QString> device = schemaSection(section);
    const int width = device.value(QStringLiteral("Width"), QStringLiteral("100")).toInt();
    const QString unit = u' ' + device.value(QStringLiteral("Unit"));
    int claims = 0;
    const QMetaObject::Connection counting = connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
        [&claims](QClipboard::Mode mode) { claims += mode == QClipboard::Selection ? 1 : 0; });
    drag(devicePoint(section, QPoint(2, 9)), devicePoint(section, QPoint(width - 2, 9)));
    const bool claimed = waitFor([&] { return claims > 0; }, StepTimeoutMs);
    disconnect(counting);
    if (!claimed) {
        m_lostDrag = section;
        return std::nullopt;
    }
    QString selected;
    if (!waitFor([&] { return (selected = primarySelection()).endsWith(unit); }, StepTimeoutMs))
        return std::nullopt;
    return numberIn(selected);
}

// Selects all of the field that has the keyboard with Ctrl+A; its text, once the program has
// offered it as the selection.
std::optional<QString> TestDemoWindow::selectAll()
{
    int claims = 0;
    const QMetaObject::Connection counting = connect(QGuiApplication::clipboard(), &QClipboard::changed, this,
        [&claims](QClipboard::Mode mode) { claims += mode == QClipboard::Selection ? 1 : 0; });
    pressKeys(QStringLiteral("ctrl+a"));
    const bool claimed = waitFor([&] { return claims > 0; }, StepTimeoutMs);
    disconnect(counting);
    if (!claimed)
        return std::nullopt;
    return primarySelection();
}

// Reads a device until it shows what `condition` wants, as the value may follow a change a
// moment later; a drag the program lost ends the wait at once.
bool TestDemoWindow::waitForDevice(const QString &section, const std::function<bool(double)> &condition)
{
    m_lostDrag.clear();
    return waitFor(
               [&] {
                   const std::optional<double> value = readDevice(section);
                   return !m_lostDrag.isEmpty() || (value && condition(*value));
               },
               StepTimeoutMs)
        && m_lostDrag.isEmpty();
}

void TestDemoWindow::benchMeasuresAsOhmsLawSays()
{
    m_schema = readIni(QDir(m_source).filePath(QStringLiteral("Schema.ini")));
    const int variants = int(std::count_if(m_schema.cbegin(), m_schema.cend(),
        [](const auto &section) { return section.first.startsWith(QLatin1String("__")); }));
    QCOMPARE(variants, 3);
    click(menuButton(Bench).center());
    const bool opened = waitFor(
        [this] {
            const std::optional<QPoint> at = findBenchPicture();
            m_bench = at.value_or(QPoint());
            return at.has_value();
        },
        StepTimeoutMs);
    QVERIFY2(opened, "the bench opens with its picture");

    // R1 is 100 to 200 ohms, drawn when the program started, and the ammeter has 1 ohm.
    QVERIFY2(waitForDevice(QStringLiteral("Voltmeter"), [](double v) { return v == 4.0; }),
        qPrintable(deviceFailure(QStringLiteral("the voltmeter shows the source's 4 V"))));
    double at4 = 0;
    QVERIFY2(waitForDevice(QStringLiteral("Ammeter"),
                 [&](double i) {
                     at4 = i;
                     return i > 4000.0 / 201 && i <= 4000.0 / 101;
                 }),
        qPrintable(deviceFailure(QStringLiteral("R1 (100 to 200 ohms) takes 20 to 40 mA at 4 V"))));

    // Pointing at a hint area shows its description; the bare picture hides it again.
    moveMouse(devicePoint(QStringLiteral("SourceArea"), QPoint(30, 30)));
    const QRect field = layout::workField(m_window.size()).translated(m_window.topLeft());
    QVERIFY2(waitFor([&] { return countColour(grabScreen(), field, DescriptionStrip) > 2000; }, StepTimeoutMs),
        "the source's description shows");
    screenshot(QStringLiteral("experiment"));
    moveMouse(m_bench + QPoint(600, 10));
    QVERIFY2(waitFor([&] { return countColour(grabScreen(), field, DescriptionStrip) == 0; }, StepTimeoutMs),
        "the description goes with the pointer");

    // The ammeter's resistance is fixed: a click only beeps. The source's voltage is set in the
    // value dialog, which the source clicked next opens with its own 4 V: had the fixed device
    // opened one, that modal dialog would have taken the click and shown the resistance's 1.
    click(devicePoint(QStringLiteral("AmmeterResistance"), QPoint(20, 8)));
    click(devicePoint(QStringLiteral("Source"), QPoint(20, 8)));
    const std::optional<Window> valueDialog = waitForWindow(ValueDialogTitle, StepTimeoutMs);
    QVERIFY2(valueDialog, "the source opens the value dialog");
    QCOMPARE(windowsTitled(ValueDialogTitle).size(), 1);
    focusWindow(*valueDialog);
    const std::optional<QString> shownValue = selectAll();
    QVERIFY2(shownValue, "Ctrl+A selects the value in the dialog");
    QVERIFY2(numberIn(*shownValue) == 4.0,
        qPrintable(QStringLiteral("the dialog is the source's, not the fixed device's: ") + *shownValue));
    typeText(QStringLiteral("6"));
    QTest::qWait(200);
    screenshot(QStringLiteral("value-dialog"));
    pressKeys(QStringLiteral("Return"));
    QVERIFY2(waitFor([] { return windowsTitled(ValueDialogTitle).isEmpty(); }, StepTimeoutMs), "Enter accepts 6 V");
    QVERIFY2(waitForDevice(QStringLiteral("Voltmeter"), [](double v) { return v == 6.0; }),
        qPrintable(deviceFailure(QStringLiteral("the voltmeter shows 6 V"))));
    QVERIFY2(waitForDevice(QStringLiteral("Ammeter"), [&](double i) { return qAbs(i - at4 * 1.5) <= 0.011; }),
        qPrintable(
            deviceFailure(QStringLiteral("1.5 times the voltage drives 1.5 times the current through a resistor"))));

    // The lamp has no random part: 100 mA at 12 V, and (6/12)^0.55 of it at 6 V.
    click(layout::variantButton(m_window.size(), variantIndex(QStringLiteral("Лампа")), variants)
              .translated(m_window.topLeft())
              .center());
    QVERIFY2(waitForDevice(QStringLiteral("Ammeter"), [](double i) { return i == 68.30; }),
        qPrintable(deviceFailure(QStringLiteral("the lamp takes 68,30 mA at 6 V"))));

    click(layout::variantButton(m_window.size(), variantIndex(QStringLiteral("R2")), variants)
              .translated(m_window.topLeft())
              .center());
    double r2Current = 0;
    QVERIFY2(waitForDevice(QStringLiteral("Ammeter"),
                 [&](double i) {
                     r2Current = i;
                     return i > 6000.0 / 501 && i <= 6000.0 / 301;
                 }),
        qPrintable(deviceFailure(QStringLiteral("R2 (300 to 500 ohms) takes 12 to 20 mA at 6 V"))));

    // The instructions open from the bench and lead back to it as the student left it.
    click(layout::infoButton(m_window.size()).translated(m_window.topLeft()).center());
    QVERIFY2(waitForPage(QStringLiteral("document.querySelector('h1') && "
                                        "document.querySelector('h1').textContent === 'Порядок выполнения работы'")),
        "the instructions open");
    QVERIFY2(pressPageButton(QStringLiteral("form[action=\"?system\"] input[type=submit]"),
                 [this] { return findBenchPicture().has_value(); }),
        "the button at the end of the instructions leads back to the bench");
    // The page is built anew around R2's picture, which is centred again (it is 2 pixels
    // smaller than R1's metafile); the devices keep their places on the picture.
    QVERIFY2(waitFor(
                 [this] {
                     const std::optional<QPoint> at = findBenchPicture();
                     if (!at || (*at - m_bench).manhattanLength() > 4)
                         return false;
                     m_bench = *at;
                     return true;
                 },
                 StepTimeoutMs),
        "back on the bench");
    QVERIFY2(waitForDevice(QStringLiteral("Voltmeter"), [](double v) { return v == 6.0; }),
        qPrintable(deviceFailure(QStringLiteral("with the voltage"))));
    QVERIFY2(waitForDevice(QStringLiteral("Ammeter"), [&](double i) { return i == r2Current; }),
        qPrintable(deviceFailure(QStringLiteral("and the element as they were"))));

    click(layout::stopButton(m_window.size()).translated(m_window.topLeft()).center());
    QVERIFY2(
        waitFor(
            [this] { return countColour(grabScreen(), m_window, Navy) > 10000 && glyphIsOpen(grabScreen(), Bench); },
            StepTimeoutMs),
        "\"Меню\" leads back to the menu");
}

void TestDemoWindow::exitLeavesNoFiles()
{
    click(menuButton(ChapterCount).center());
    QVERIFY2(m_kelvo.waitForFinished(20000), "the exit button ends the program");
    QCOMPARE(m_kelvo.exitCode(), 0);
    QCOMPARE(m_kelvo.exitStatus(), QProcess::NormalExit);
    const QStringList left
        = QDir(m_tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("left in the temporary folder: ") + left.join(u' ')));
}

QTEST_MAIN(TestDemoWindow)
#include "tst_demowindow.moc"
