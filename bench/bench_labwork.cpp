// Times quiz generation and lab work loading at a base size and at ten times that size. Both
// should grow linearly: the quiz lists the lab folder once per page (not once per question) and
// groups the names in memory; loading finds devices and variant values through hashes. Also times
// the review of a checked quiz of 40,000 typed fields against its goal: the review indexes the
// submitted lines once per page instead of searching them for each field.

#include "LabWork.h"
#include "ModelMessages.h"
#include "QuizReview.h"
#include "Random.h"
#include "TaskChapter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr int VariantFiles = 20;
constexpr int QuizQuestions = 500;
constexpr int Chapters = 38;
constexpr int SchemaDevices = 2000;
constexpr int SchemaVariants = 10;
constexpr int Repeats = 3;
constexpr int ReviewQuestions = 40;
constexpr int ReviewFieldsPerQuestion = 1000;
constexpr double ReviewGoalMs = 100;

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The best of a few runs, in milliseconds; with `processor`, also the least processor time one
// took (a busy machine stretches it less than the wall time).
double bestTime(const std::function<void()> &run, double *processor = nullptr)
{
    double best = 1e300;
    double bestProcessor = 1e300;
    for (int i = 0; i < Repeats; ++i) {
        const std::clock_t started = std::clock();
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
        bestProcessor = std::min(bestProcessor, double(std::clock() - started) * 1000 / CLOCKS_PER_SEC);
    }
    if (processor)
        *processor = bestProcessor;
    return best;
}

QByteArray number(int value, int digits)
{
    return QByteArray::number(value).rightJustified(digits, '0');
}

double quizPage(int questions)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeText(root + QStringLiteral("/labwork.lbw"),
        "[Quiz]\r\nType=Examination\r\nTitle=Quiz\r\nIdentifier=7\r\nHeading=Bench\r\nQuestions="
            + QByteArray::number(questions) + "\r\n");
    for (int q = 1; q <= questions; ++q) {
        for (int v = 0; v < VariantFiles; ++v) {
            const QByteArray name = "c007.q" + number(q, 3) + ".v" + number(v, 2) + ".q";
            writeText(root + u'/' + QString::fromLatin1(name),
                "<p>Question " + QByteArray::number(q) + "</p>\r\n<input type=\"radio\" name=\"q"
                    + QByteArray::number(q) + "\" value=\"a\">\r\n<!--END-->\r\nq" + QByteArray::number(q) + "=a\r\n");
        }
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root);
    const TLabWork labWork(root + QStringLiteral("/labwork.lbw"));
    auto *chapter = dynamic_cast<TTaskChapter *>(labWork.Chapters().Items(0));
    const double time = bestTime([&] {
        if (chapter->GetHTML().isEmpty() || chapter->Answers.size() != questions)
            qFatal("the quiz page is wrong");
    });
    QDir::setCurrent(previous);
    return time;
}

QByteArray schemaFile()
{
    QByteArray text = "[SchemaHeader]\r\nTitle=Bench\r\nImageFile=bench.bmp\r\nStartFrom=__v01\r\n";
    const int measurements = SchemaDevices / 2;
    const int passives = SchemaDevices * 9 / 20;
    for (int v = 1; v <= SchemaVariants; ++v) {
        text += "[__v" + number(v, 2) + "]\r\nTitle=Variant " + QByteArray::number(v) + "\r\nImageFile=v.bmp\r\n";
        for (int d = 1; d <= measurements; ++d) {
            const int passive = 1 + (d % passives);
            text += "D" + number(d, 4) + "=P" + number(passive, 4) + " * " + QByteArray::number(v) + " + RAND()\r\n";
        }
    }
    for (int d = 1; d <= SchemaDevices; ++d) {
        text += "[D" + number(d, 4) + "]\r\nTitle=Device\r\nLeft=10\r\nTop=20\r\nUnit=V\r\n";
        if (d <= measurements)
            text += "Class=Measurement\r\n";
        else if (d <= measurements + passives)
            text += "Class=Passive\r\nIdentifier=P" + number(d - measurements, 4)
                + "\r\nValue=1\r\nAjustable=1\r\n"
                  "Min=0\r\nMax=10\r\n";
        else
            text += "Class=Area\r\nHint=Part|Of the bench\r\n";
    }
    return text;
}

// Every 38th chapter is an experiment with its own schema; the others are information
// chapters and examinations.
double loadLabWork(int chapters)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray schema = schemaFile();
    QByteArray descriptor = "[Header]\r\nTitle=Bench\r\n";
    for (int c = 0; c < chapters; ++c) {
        const QByteArray section
            = "[Chapter" + number(c, 4) + "]\r\nTitle=Chapter\r\nIdentifier=" + QByteArray::number(c % 256) + "\r\n";
        if (c % Chapters == Chapters - 1) {
            const QByteArray name = "schema" + number(c, 4) + ".ini";
            writeText(root + u'/' + QString::fromLatin1(name), schema);
            descriptor += section + "Type=Experiment\r\nSchemaFile=" + name + "\r\n";
        } else if (c % 2 == 0) {
            descriptor += section + "Type=Information\r\nDocument=doc.htm\r\n";
        } else {
            descriptor += section + "Type=Examination\r\nQuestions=10\r\nHeading=Quiz\r\n";
        }
    }
    writeText(root + QStringLiteral("/labwork.lbw"), descriptor);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root);
    const double time = bestTime([&] {
        const TLabWork labWork(root + QStringLiteral("/labwork.lbw"));
        if (labWork.Chapters().Count() != chapters)
            qFatal("the lab work is wrong");
    });
    QDir::setCurrent(previous);
    return time;
}

// A quiz of 40 questions with 1000 typed fields each, every field answered and the last field of
// each question answered wrong, reviewed with the expected answers: every part of the review runs.
double reviewPage(double *processor)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeText(root + QStringLiteral("/labwork.lbw"),
        "[Quiz]\r\nType=Examination\r\nTitle=Quiz\r\nIdentifier=7\r\nHeading=Bench\r\nReview=2\r\nQuestions="
            + QByteArray::number(ReviewQuestions) + "\r\n");
    QStringList results;
    for (int q = 1; q <= ReviewQuestions; ++q) {
        QByteArray text = "<p>Question " + QByteArray::number(q) + "</p>\r\n";
        QByteArray answers;
        for (int f = 1; f <= ReviewFieldsPerQuestion; ++f) {
            const QByteArray name = "f" + QByteArray::number(q) + "_" + QByteArray::number(f);
            text += "<input type=\"text\" name=\"" + name + "\" size=\"4\"> ";
            answers += name + "=" + QByteArray::number(f) + "\r\n";
            const QByteArray given = f == ReviewFieldsPerQuestion ? "wrong" : QByteArray::number(f);
            results.append(QString::fromLatin1(name + "=" + given));
        }
        writeText(root + QStringLiteral("/c007.q") + QString::fromLatin1(number(q, 3)) + QStringLiteral(".vA.q"),
            text + "\r\n<!--END-->\r\n" + answers);
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root);
    const TLabWork labWork(root + QStringLiteral("/labwork.lbw"));
    auto *chapter = dynamic_cast<TTaskChapter *>(labWork.Chapters().Items(0));
    if (chapter->GetHTML().isEmpty() || chapter->PageQuestions.size() != ReviewQuestions)
        qFatal("the quiz page is wrong");
    chapter->CheckAnswers(results);
    const double time = bestTime(
        [&] {
            if (kelvo::quizReviewPage(*chapter, results, true).isEmpty())
                qFatal("the review page is wrong");
        },
        processor);
    QDir::setCurrent(previous);
    return time;
}

void report(const char *what, double base, double tenfold)
{
    std::printf("%s\n  1x: %9.1f ms\n 10x: %9.1f ms  (%.1f times; linear growth gives about 10)\n", what, base, tenfold,
        tenfold / base);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    SeedRandom(1);
    kelvo::setValueTextErrorHandler(
        [](const kelvo::ValueTextError &error) { qFatal("%s", qPrintable(kelvo::describeValueTextError(error))); });

    std::printf("Generating inputs in the temporary folder...\n");
    std::fflush(stdout);
    const double quiz1 = quizPage(QuizQuestions);
    const double quiz10 = quizPage(QuizQuestions * 10);
    report("Quiz page: 500 questions x 20 variant files (10x: 5000 questions, 100000 files)", quiz1, quiz10);

    const double load1 = loadLabWork(Chapters);
    const double load10 = loadLabWork(Chapters * 10);
    report("Loading: 38 chapters, a schema of 2000 devices and 10 variants (10x: 380 chapters, 10 such schemas)", load1,
        load10);

    double reviewProcessor = 0;
    const double review = reviewPage(&reviewProcessor);
    std::printf("Review page: 40 questions x 1000 typed fields, all answered\n"
                " review: %9.1f ms  (processor time %.1f ms; goal: at most %.0f ms)\n",
        review, reviewProcessor, ReviewGoalMs);
    return 0;
}
