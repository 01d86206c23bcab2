// Generates the lab works that the window benchmarks open, into the folder given:
//   chapters38/, chapters38.lwz  a lab work of 38 chapters: documents, quizzes and experiments with
//                                schemas and pictures, as a large real one is made;
//   pages/, pages.lwz            two chapters: a document of 200 KB (headings, paragraphs, tables,
//                                pictures, a style sheet) and a quiz of 100 questions with three
//                                variant files each;
//   pages/shown0.htm, shown1.htm exactly what the program hands the web engine for those two
//                                chapters (written after packing), for the engine-alone floor;
//   titles255/, titles255.lwz    a package of a few KB whose report is large: 255 documents, each
//                                titled with 2,040 letters, all showing one tiny document.
// Prints "@ key value" lines for bench/run-benchmarks.sh.

#include "BenchSupport.h"
#include "InfoChapter.h"
#include "LabWork.h"
#include "Random.h"
#include "TaskChapter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int BigChapters = 38;
constexpr qsizetype BigDocumentBytes = 200 * 1024;
constexpr int BigQuizQuestions = 100;
// As many chapters as identifiers allow (1-255), each with a title of this many letters.
constexpr int LongTitleChapters = 255;
constexpr qsizetype LongTitleLetters = 2040;

QByteArray number(int value, int digits)
{
    return QByteArray::number(value).rightJustified(digits, '0');
}

void writePicture(const QString &path, QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int i = 0; i < 300; ++i) {
        painter.setPen(QPen(QColor::fromHsv((i * 37 + seed * 90) % 360, 200, 160), 1 + i % 3));
        const int x = (i * 7919 + seed * 131) % size.width();
        const int y = (i * 104729 + seed * 71) % size.height();
        if (i % 4 == 0)
            painter.drawRect(x, y, 20 + i % 80, 15 + i % 50);
        else
            painter.drawLine(x, y, (x * 3 + 50) % size.width(), (y * 5 + 30) % size.height());
    }
    painter.end();
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
}

const QByteArray StyleSheet
    = "body { font-family: Verdana, Arial, sans-serif; font-size: 15px; margin: 16px 32px; }\r\n"
      "h1 { color: #003366; } h2 { color: #004c99; border-bottom: 1px solid #99b; }\r\n"
      "table.data { border-collapse: collapse; margin: 8px 0; }\r\n"
      "table.data td, table.data th { border: 1px solid #888; padding: 2px 8px; }\r\n"
      "img { display: block; margin: 8px auto; } p { text-align: justify; }\r\n";

const QByteArray QuizStyleSheet
    = "body { font-family: Verdana, Arial, sans-serif; font-size: 15px; margin: 16px 32px; }\r\n"
      ".question { margin: 8px 0; padding: 4px 8px; background: #eef4fa; }\r\n"
      ".number { font-weight: bold; color: #004c99; }\r\n";

// A document of about `bytes` bytes in Windows-1251 that shows `picture` now and then.
QByteArray document(bench::Sequence &random, qsizetype bytes, const QByteArray &picture)
{
    QByteArray html
        = "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
          "<title>Bench</title>\r\n<link rel=\"stylesheet\" type=\"text/css\" href=\"Style.css\">\r\n"
          "</head>\r\n<body>\r\n<h1>"
        + bench::prose(random, 40) + "</h1>\r\n";
    for (int section = 1; html.size() < bytes; ++section) {
        html += "<h2>" + QByteArray::number(section) + ". " + bench::prose(random, 30) + "</h2>\r\n";
        for (int p = 0; p < 3; ++p)
            html += "<p>" + bench::prose(random, 600 + random.below(600)) + "</p>\r\n";
        if (section % 3 == 0) {
            html += "<table class=\"data\">\r\n<tr><th>U, V</th><th>I, mA</th><th>R, Ohm</th></tr>\r\n";
            for (int row = 0; row < 10; ++row)
                html += "<tr><td>" + QByteArray::number(row) + ",0</td><td>" + QByteArray::number(random.below(900))
                    + "</td><td>" + QByteArray::number(random.below(300)) + "</td></tr>\r\n";
            html += "</table>\r\n";
        }
        if (section % 5 == 0)
            html += "<img src=\"" + picture + "\" alt=\"\">\r\n";
    }
    return html + "</body>\r\n</html>\r\n";
}

void writeQuestions(const QString &folder, bench::Sequence &random, int identifier, int questions)
{
    for (int q = 1; q <= questions; ++q) {
        for (const char variant : { 'A', 'B', 'C' }) {
            QByteArray text = "<div class=\"question\">\r\n<p class=\"number\">" + QByteArray::number(q) + "</p>\r\n<p>"
                + bench::prose(random, 150 + random.below(150)) + "</p>\r\n";
            for (const char answer : { 'a', 'b', 'c', 'd' })
                text += "<label><input type=\"radio\" name=\"q" + QByteArray::number(q) + "\" value=\"" + answer
                    + "\"> " + bench::prose(random, 20) + "</label><br>\r\n";
            text += "</div>\r\n<!--END-->\r\nq" + QByteArray::number(q) + "=" + char('a' + random.below(4)) + "\r\n";
            bench::writeFile(folder + u'/'
                    + QString::fromLatin1("c" + number(identifier, 3) + ".q" + number(q, 3) + ".v" + variant + ".q"),
                text);
        }
    }
}

// A schema of 40 devices (10 adjustable sources, 15 meters, 15 hint areas) and three variants,
// each with its own picture.
void writeSchema(const QString &folder, const QByteArray &name, int chapter)
{
    const QByteArray prefix = "sch" + number(chapter, 2);
    QByteArray variants;
    QByteArray devices;
    const QByteArrayList letters = { "a", "b", "c" };
    for (int v = 0; v < 3; ++v) {
        const QByteArray picture = prefix + "_" + letters[v] + ".png";
        writePicture(folder + u'/' + QString::fromLatin1(picture), QSize(1024, 768), chapter * 3 + v);
        variants += "[__" + letters[v] + "]\r\nTitle=" + letters[v] + "\r\nImageFile=" + picture + "\r\n";
        for (int m = 1; m <= 15; ++m)
            variants += "M" + QByteArray::number(m) + "=U" + QByteArray::number(1 + m % 10) + "*"
                + QByteArray::number(v + 2) + "/(" + QByteArray::number(m) + "+RAND())\r\n";
    }
    for (int d = 1; d <= 10; ++d)
        devices += "[S" + QByteArray::number(d) + "]\r\nClass=Passive\r\nTitle=Source\r\nIdentifier=U"
            + QByteArray::number(d) + "\r\nAjustable=1\r\nValue=" + QByteArray::number(d)
            + "\r\nMin=0\r\nMax=100\r\nUnit=V\r\nLeft=" + QByteArray::number(20 + d * 60) + "\r\nTop=40\r\n";
    for (int m = 1; m <= 15; ++m)
        devices += "[M" + QByteArray::number(m)
            + "]\r\nClass=Measurement\r\nTitle=Meter\r\nUnit=mA\r\nWidth=90\r\nLeft="
            + QByteArray::number(20 + (m % 8) * 110) + "\r\nTop=" + QByteArray::number(200 + (m / 8) * 60) + "\r\n";
    for (int a = 1; a <= 15; ++a)
        devices += "[A" + QByteArray::number(a) + "]\r\nClass=Area\r\nTitle=Part\r\nHint=Part|Of the bench\r\nLeft="
            + QByteArray::number(20 + (a % 8) * 110) + "\r\nTop=" + QByteArray::number(400 + (a / 8) * 80)
            + "\r\nWidth=60\r\nHeight=50\r\n";
    bench::writeFile(folder + u'/' + QString::fromLatin1(name),
        "[SchemaHeader]\r\nTitle=Bench\r\nImageFile=" + prefix + "_a.png\r\nStartFrom=__a\r\n" + variants + devices);
}

QString makeBigLabWork(const QString &root)
{
    const QString folder = root + QStringLiteral("/chapters38");
    QDir().mkpath(folder);
    bench::Sequence random(38);
    bench::writeFile(folder + QStringLiteral("/Style.css"), StyleSheet);
    bench::writeFile(folder + QStringLiteral("/quest.css"), QuizStyleSheet);
    writePicture(folder + QStringLiteral("/figure.png"), QSize(600, 400), 1);
    QByteArray descriptor = "[Header]\r\nTitle=" + bench::prose(random, 60)
        + "\r\nAuthor=Bench\r\nDescription=" + bench::prose(random, 200) + "\r\n";
    for (int c = 0; c < BigChapters; ++c) {
        const int identifier = c + 1;
        descriptor += "\r\n[Chapter" + number(c, 2) + "]\r\nTitle=" + QByteArray::number(identifier) + ". "
            + bench::prose(random, 30) + "\r\nIdentifier=" + QByteArray::number(identifier) + "\r\n";
        switch (c % 5) {
        case 4: {
            const QByteArray schema = "schema" + number(c, 2) + ".ini";
            writeSchema(folder, schema, c);
            descriptor += "Type=Experiment\r\nSchemaFile=" + schema + "\r\nLinkedChapter=" + QByteArray::number(c - 1)
                + "\r\nRequiredChapters=" + QByteArray::number(c) + "\r\n";
            break;
        }
        case 1:
        case 3:
            writeQuestions(folder, random, identifier, 10);
            descriptor += "Type=Examination\r\nQuestions=10\r\nHeading=" + bench::prose(random, 40)
                + "\r\nRequiredChapters=" + QByteArray::number(c) + "\r\n";
            break;
        default: {
            const QByteArray name = "doc" + number(c, 2) + ".htm";
            bench::writeFile(folder + u'/' + QString::fromLatin1(name), document(random, 20 * 1024, "figure.png"));
            descriptor += "Type=Information\r\nDocument=" + name + "\r\n";
            break;
        }
        }
    }
    bench::writeFile(folder + QStringLiteral("/labwork.lbw"), descriptor);
    const QString package = root + QStringLiteral("/chapters38.lwz");
    bench::packFolder(folder, package, [](const QString &name) { return name.endsWith(u".png"); });
    return package;
}

// Writes what the program shows for each chapter that is a document or a quiz.
QStringList writeShownPages(const QString &folder)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    TLabWork labWork(folder + QStringLiteral("/labwork.lbw"));
    QStringList shown;
    for (int i = 0; i < labWork.Chapters().Count(); ++i) {
        const QString path = folder + QStringLiteral("/shown%1.htm").arg(i);
        bench::writeFile(path, labWork.Chapters().Items(i)->GetHTML());
        shown.append(path);
    }
    QDir::setCurrent(previous);
    return shown;
}

QString makePageLabWork(const QString &root, QStringList &shown)
{
    const QString folder = root + QStringLiteral("/pages");
    QDir().mkpath(folder);
    bench::Sequence random(200);
    bench::writeFile(folder + QStringLiteral("/Style.css"), StyleSheet);
    bench::writeFile(folder + QStringLiteral("/quest.css"), QuizStyleSheet);
    writePicture(folder + QStringLiteral("/figure.png"), QSize(600, 400), 2);
    bench::writeFile(folder + QStringLiteral("/big.htm"), document(random, BigDocumentBytes, "figure.png"));
    writeQuestions(folder, random, 2, BigQuizQuestions);
    bench::writeFile(folder + QStringLiteral("/labwork.lbw"),
        "[Header]\r\nTitle=Bench\r\nAuthor=Bench\r\n\r\n[Document]\r\nType=Information\r\nTitle=Document\r\n"
        "Identifier=1\r\nDocument=big.htm\r\n\r\n[Quiz]\r\nType=Examination\r\nTitle=Quiz\r\nIdentifier=2\r\n"
        "Questions="
            + QByteArray::number(BigQuizQuestions) + "\r\nHeading=Quiz\r\n");
    const QString package = root + QStringLiteral("/pages.lwz");
    bench::packFolder(folder, package, [](const QString &name) { return name.endsWith(u".png"); });
    shown = writeShownPages(folder);
    return package;
}

// One title repeated in every chapter after the chapter's number: it deflates to next to nothing,
// while the run's report lists every title in full.
QString makeLongTitleLabWork(const QString &root)
{
    const QString folder = root + QStringLiteral("/titles255");
    QDir().mkpath(folder);
    bench::Sequence random(255);
    // Letters only, one unbroken word: the report's table can wrap it nowhere.
    QByteArray title;
    while (title.size() < LongTitleLetters) {
        for (const char c : bench::prose(random, LongTitleLetters)) {
            if (uchar(c) >= 0xC0 || uchar(c) == 0xB8)
                title += c;
        }
    }
    title.truncate(LongTitleLetters);
    bench::writeFile(folder + QStringLiteral("/doc.htm"),
        "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
        "</head>\r\n<body>\r\n<p>"
            + bench::prose(random, 200) + "</p>\r\n</body>\r\n</html>\r\n");
    QByteArray descriptor = "[Header]\r\nTitle=Bench\r\nAuthor=Bench\r\n";
    for (int c = 1; c <= LongTitleChapters; ++c) {
        const QByteArray identifier = QByteArray::number(c);
        descriptor += "\r\n[Chapter" + number(c, 3) + "]\r\nType=Information\r\nTitle=" + identifier
            + title.left(LongTitleLetters - identifier.size()) + "\r\nIdentifier=" + identifier
            + "\r\nDocument=doc.htm\r\n";
    }
    bench::writeFile(folder + QStringLiteral("/labwork.lbw"), descriptor);
    const QString package = root + QStringLiteral("/titles255.lwz");
    bench::packFolder(folder, package);
    return package;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kelvo_bench_inputs FOLDER\n");
        return 2;
    }
    SeedRandom(1);
    const QString root = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QDir().mkpath(root);
    const QString big = makeBigLabWork(root);
    QStringList shown;
    const QString pages = makePageLabWork(root, shown);
    const QString titles = makeLongTitleLabWork(root);
    std::printf("@ inputs.chapters38 %s\n@ inputs.chapters38_kb %lld\n", qPrintable(big), QFileInfo(big).size() / 1024);
    std::printf("@ inputs.pages %s\n@ inputs.pages_kb %lld\n", qPrintable(pages), QFileInfo(pages).size() / 1024);
    std::printf("@ inputs.titles255 %s\n@ inputs.titles255_kb %lld\n", qPrintable(titles),
        (QFileInfo(titles).size() + 1023) / 1024);
    for (qsizetype i = 0; i < shown.size(); ++i)
        std::printf("@ inputs.shown%lld %s\n@ inputs.shown%lld_kb %lld\n", qint64(i), qPrintable(shown[i]), qint64(i),
            QFileInfo(shown[i]).size() / 1024);
    return 0;
}
