// How long the resolver takes for names that are not there, in a folder of many files: a
// document with 5,000 missing pictures in a package of 20,000 files. Each miss is looked up
// again without regard to letter case, which once listed and sorted the whole folder.
// Prints "@ key value" lines for bench/run-benchmarks.sh.

#include "BenchSupport.h"
#include "LabFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    constexpr int Files = 20'000;
    constexpr int Misses = 5'000;

    const QTemporaryDir dir;
    for (int i = 0; i < Files; ++i)
        bench::writeFile(dir.filePath(QStringLiteral("picture%1.gif").arg(i)), "g");

    QElapsedTimer timer;
    timer.start();
    int found = 0;
    for (int i = 0; i < Misses; ++i) {
        // What a document's references do: a new resolver for each, as the scheme handler makes.
        if (kelvo::LabFolder(dir.path()).resolve(QStringLiteral("missing/../absent%1.GIF").arg(i)))
            ++found;
        if (kelvo::LabFolder(dir.path()).resolve(QStringLiteral("PICTURE%1.GIF").arg(i)))
            ++found;
    }
    const qint64 ms = timer.elapsed();
    std::printf("resolve: %d missing and %d other-case names among %d files: %lld ms (%d found)\n", Misses, Misses,
        Files, static_cast<long long>(ms), found);
    std::printf("@ resolve.misses_ms %lld\n", static_cast<long long>(ms));
    return found == Misses ? 0 : 1;
}
