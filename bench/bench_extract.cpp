// Times Kelvo's package extraction against Info-ZIP's "unzip -o -j" and libarchive's "bsdtar -x"
// on one generated package of about 200 MB: many small Windows-1251 documents and a few large
// pictures that deflate cannot shrink (stored, as archivers store them). Each round unpacks the
// package with every tool in turn, each into a new empty folder after a sync, so that writing back
// one tool's files does not slow the next; the order rotates from round to round.
//
// Everything happens in TMPDIR. Each tool's files are removed right after it has run; with
// "--keep" they stay until the end instead: some file systems (ext4) create files slowly for
// a while after many have been deleted, which would slow whichever tool runs next.
//
// Usage: kelvo_bench_extract [ROUNDS] [--keep]
// Prints medians, and "@ key value" lines for bench/run-benchmarks.sh.

#include "BenchSupport.h"
#include "PackageExtractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int TextFiles = 16'000;
constexpr int Pictures = 4;
constexpr qsizetype PictureBytes = 36 * 1024 * 1024;
constexpr int DefaultRounds = 5;

struct Package
{
    QString path;
    int files = 0;
    qint64 unpackedBytes = 0;
};

Package makePackage(const QString &root)
{
    const QString source = root + QStringLiteral("/source");
    QDir().mkpath(source);
    bench::Sequence random(20240901);
    Package package;
    for (int i = 0; i < TextFiles; ++i) {
        const QByteArray text
            = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
              "<link rel=\"stylesheet\" href=\"Style.css\"></head><body><p>"
            + bench::prose(random, 6 * 1024 + random.below(12 * 1024)) + "</p></body></html>\r\n";
        bench::writeFile(source + QStringLiteral("/doc%1.htm").arg(i, 5, 10, QLatin1Char('0')), text);
        package.unpackedBytes += text.size();
    }
    for (int i = 0; i < Pictures; ++i) {
        QByteArray picture(PictureBytes, Qt::Uninitialized);
        for (qsizetype at = 0; at + 4 <= picture.size(); at += 4) {
            const quint32 value = random.next();
            std::memcpy(picture.data() + at, &value, 4);
        }
        bench::writeFile(source + QStringLiteral("/photo%1.jpg").arg(i), picture);
        package.unpackedBytes += picture.size();
    }
    package.files = TextFiles + Pictures;
    package.path = root + QStringLiteral("/package.lwz");
    bench::packFolder(source, package.path, [](const QString &name) { return name.endsWith(u".jpg"); });
    return package;
}

void syncDisks()
{
    QProcess::execute(QStringLiteral("sync"), {});
}

bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool keep = arguments.removeAll(QStringLiteral("--keep")) > 0;
    const int rounds = arguments.isEmpty() ? DefaultRounds : qMax(1, arguments.first().toInt());

    QTemporaryDir root;
    if (!root.isValid())
        qFatal("no temporary folder");
    std::printf("Extraction: generating the package in %s...\n", qPrintable(root.path()));
    std::fflush(stdout);
    const Package package = makePackage(root.path());
    const double archiveMb = double(QFileInfo(package.path).size()) / (1024 * 1024);
    std::printf("Package: %.0f MB, %d files, %.0f MB unpacked\n", archiveMb, package.files,
        double(package.unpackedBytes) / (1024 * 1024));

    using Tool = std::function<bool(const QString &folder)>;
    const std::vector<std::pair<const char *, Tool>> tools = {
        { "kelvo", [&](const QString &folder) { return kelvo::extractPackage(package.path, folder).ok; } },
        { "unzip",
            [&](const QString &folder) {
                return runTool(QStringLiteral("unzip"),
                    { QStringLiteral("-o"), QStringLiteral("-j"), QStringLiteral("-q"), package.path,
                        QStringLiteral("-d"), folder });
            } },
        { "bsdtar",
            [&](const QString &folder) {
                return runTool(QStringLiteral("bsdtar"),
                    { QStringLiteral("-x"), QStringLiteral("-f"), package.path, QStringLiteral("-C"), folder });
            } },
    };

    std::map<std::string, std::vector<double>> times;
    int runs = 0;
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < tools.size(); ++k) {
            const auto &[name, tool] = tools[(k + size_t(round)) % tools.size()];
            const QString folder = root.path() + QStringLiteral("/out%1").arg(++runs);
            QDir().mkpath(folder);
            syncDisks();
            QElapsedTimer timer;
            timer.start();
            if (!tool(folder))
                qFatal("%s failed", name);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            const qsizetype written = QDir(folder).entryList(QDir::Files).size();
            if (written != package.files)
                qFatal("%s wrote %lld files, not %d", name, qint64(written), package.files);
            times[name].push_back(ms);
            if (!keep)
                QDir(folder).removeRecursively();
        }
    }

    for (const auto &[name, _] : tools)
        std::printf("  %-7s median %8.0f ms over %d rounds%s\n", name, bench::median(times[name]), rounds,
            keep ? ", files kept until the end" : "");
    std::printf("@ extract.archive_mb %.0f\n@ extract.files %d\n@ extract.unpacked_mb %.0f\n", archiveMb, package.files,
        double(package.unpackedBytes) / (1024 * 1024));
    for (const auto &[name, _] : tools)
        std::printf("@ extract.%s_ms %.1f\n", name, bench::median(times[name]));
    return 0;
}
