// Times the laboratory page with a large bench: pictures of 4000 × 3000 pixels and 200 devices.
// A variant switch (load the picture, recalculate, rewrite the device texts, repaint the page)
// must stay interactive; building the page when it is shown is timed as well. The first visit to
// a picture decodes it, later ones find it decoded while its file is unchanged. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "LabPage.h"
#include "LabWork.h"
#include "SchemaPicture.h"
#include "VariantButton.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr QSize PictureSize(4000, 3000);
constexpr int Devices = 200;
constexpr int Switches = 10;

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A busy picture, so that the compressed formats have real work to do.
void writePicture(const QString &path, int seed)
{
    QImage image(PictureSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int i = 0; i < 4000; ++i) {
        painter.setPen(QColor::fromHsv((i * 37 + seed * 90) % 360, 200, 180));
        const int x = (i * 7919 + seed * 131) % PictureSize.width();
        const int y = (i * 104729 + seed * 71) % PictureSize.height();
        painter.drawLine(x, y, (x * 3 + 500) % PictureSize.width(), (y * 5 + 300) % PictureSize.height());
    }
    painter.end();
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray schema(const QString &extension)
{
    const QByteArray ext = extension.toLatin1();
    // Every third device is a measurement device; the first variant computes its value from a
    // passive device, the second gives a number.
    QByteArray variantA = "[__a]\nTitle=A\nImageFile=a." + ext + "\n";
    QByteArray variantB = "[__b]\nTitle=B\nImageFile=b." + ext + "\n";
    QByteArray devices;
    for (int i = 0; i < Devices; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray place
            = "Left=" + QByteArray::number((i * 97) % 3800) + "\nTop=" + QByteArray::number((i * 61) % 2900) + "\n";
        switch (i % 3) {
        case 0:
            devices += "[P" + n + "]\nClass=Passive\nTitle=Supply " + n + "\n" + place
                + "Unit=V\nAjustable=1\nIdentifier=U" + n + "\nValue=" + n + "\nMin=0\nMax=1000\n";
            break;
        case 1:
            devices += "[M" + n + "]\nClass=Measurement\nTitle=Meter " + n + "\n" + place + "Width=90\nUnit=mA\n";
            variantA += "M" + n + "=U0*" + n + "+1\n";
            variantB += "M" + n + "=" + n + "\n";
            break;
        default:
            devices += "[A" + n + "]\nClass=Area\n" + place + "Width=80\nHeight=60\nHint=Part " + n + "|Hint\n";
            break;
        }
    }
    return "[SchemaHeader]\nImageFile=a." + ext + "\nTitle=Bench\nStartFrom=__a\n" + variantA + variantB + devices;
}

struct Times
{
    double best = 0;
    double median = 0;
};

Times measure(int runs, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return { times.front(), times[times.size() / 2] };
}

void benchFormat(const QString &extension)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writePicture(root + QStringLiteral("/a.") + extension, 1);
    writePicture(root + QStringLiteral("/b.") + extension, 2);
    writeText(root + QStringLiteral("/bench.ini"), schema(extension));
    writeText(root + QStringLiteral("/labwork.lbw"),
        "[Header]\nTitle=Bench\n[bench]\nType=Experiment\nTitle=Bench\nIdentifier=1\nSchemaFile=bench.ini\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root);
    {
        TLabWork labWork(root + QStringLiteral("/labwork.lbw"));
        labWork.SelectChapter(0);
        TLabPage page;
        page.setLabWork(&labWork);
        page.show();
        QCoreApplication::processEvents();

        // The first show decodes the picture; later shows find it decoded.
        const Times firstBuild = measure(1, [&] {
            page.tsLabShow();
            page.repaint();
        });
        const Times build = measure(3, [&] {
            page.tsLabShow();
            page.repaint();
        });
        if (page.DeviceControls.size() != size_t(Devices) || page.VariantButtons.size() != 2)
            qFatal("the page is not built");

        // The first visit to the other variant decodes its picture.
        const Times firstSwitch = measure(1, [&] {
            page.VariantClick(page.VariantButtons.at(1));
            page.repaint();
        });
        int next = 0;
        const Times switching = measure(Switches, [&] {
            page.VariantClick(page.VariantButtons.at(size_t(next)));
            next = 1 - next;
            page.repaint();
            QCoreApplication::processEvents();
        });
        const Times decode = measure(3, [&] { (void)kelvo::SchemaPicture::load(QStringLiteral("b.") + extension); });

        std::printf("%-4s  show: first %7.1f ms, again %7.1f ms   switch: first %7.1f ms, then %7.1f ms "
                    "(median %7.1f)   decoding alone %7.1f ms\n",
            qPrintable(extension), firstBuild.best, build.best, firstSwitch.best, switching.best, switching.median,
            decode.best);
    }
    QDir::setCurrent(previous);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("Laboratory page: pictures of %d x %d, %d devices, 2 variants\n", PictureSize.width(),
        PictureSize.height(), Devices);
    for (const QString &extension : { QStringLiteral("bmp"), QStringLiteral("png"), QStringLiteral("jpg") })
        benchFormat(extension);
    return 0;
}
