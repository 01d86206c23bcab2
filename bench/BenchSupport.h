#pragma once

// Helpers shared by the benchmark programs: files, packages, generated text, and the trace
// lines that kelvo_bench_app writes with KELVO_BENCH_TRACE (see BenchTrace.h).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace bench {

void writeFile(const QString &path, const QByteArray &bytes);

// Packs every file of `folder` (not its subfolders) flat into a new ZIP archive: deflated,
// or stored where `stored` says so (pictures that deflate cannot shrink).
void packFolder(
    const QString &folder, const QString &archive, const std::function<bool(const QString &name)> &stored = {});

// A repeatable stream of pseudo-random numbers.
class Sequence final
{
public:
    explicit Sequence(quint32 seed)
        : m_state(seed)
    {
    }
    quint32 next();
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint32 m_state;
};

// Russian prose in Windows-1251 (words from a small vocabulary, sentences, no markup) of about
// `bytes` bytes: it deflates about as well as real lab documents do.
QByteArray prose(Sequence &random, qsizetype bytes);

// Microseconds since the epoch, the clock of the trace lines.
qint64 nowMicroseconds();

// Appends "<microseconds> <event>" lines to the file that KELVO_BENCH_TRACE names, if any.
class TraceFile final
{
public:
    TraceFile();
    void write(const QByteArray &event);

private:
    QString m_path;
};

double median(std::vector<double> values);

} // namespace bench
