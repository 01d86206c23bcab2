#include "BenchSupport.h"

#include <QDir>
#include <QFile>

#include <zip.h>

#include <algorithm>
#include <array>
#include <chrono>

namespace bench {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void packFolder(const QString &folder, const QString &archive, const std::function<bool(const QString &)> &stored)
{
    QFile::remove(archive);
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!zip)
        qFatal("cannot create %s (libzip error %d)", qPrintable(archive), error);
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        zip_source_t *source = zip_source_file(zip, path.constData(), 0, -1); // to the end
        const zip_int64_t index = source ? zip_file_add(zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            qFatal("cannot pack %s: %s", path.constData(), zip_strerror(zip));
        }
        const bool store = stored && stored(name);
        zip_set_file_compression(zip, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(zip) != 0)
        qFatal("cannot write %s: %s", qPrintable(archive), zip_strerror(zip));
}

quint32 Sequence::next()
{
    // xorshift32
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

QByteArray prose(Sequence &random, qsizetype bytes)
{
    static const std::array<QByteArray, 24> words = [] {
        const char *utf8[] = { "ток", "напряжение", "сопротивление", "проводник", "цепь", "закон", "резистор",
            "амперметр", "вольтметр", "измерение", "величина", "опыт", "зависимость", "лампа", "нагрев", "график",
            "точка", "значение", "участок", "источник", "прибор", "ученик", "работа", "результат" };
        std::array<QByteArray, 24> encoded;
        for (size_t i = 0; i < encoded.size(); ++i) {
            // Windows-1251: the Russian letters а..я are 0xE0..0xFF in order, ё is 0xB8.
            QByteArray word;
            for (const char32_t c : QString::fromUtf8(utf8[i]).toUcs4())
                word += c == U'ё' ? char(0xB8) : char(0xE0 + (c - U'а'));
            encoded[i] = word;
        }
        return encoded;
    }();
    QByteArray text;
    text.reserve(bytes + 32);
    int inSentence = 0;
    while (text.size() < bytes) {
        text += words[size_t(random.below(int(words.size())))];
        if (random.below(7) == 0)
            text += ' ' + QByteArray::number(random.below(1000)) + ',' + QByteArray::number(random.below(10));
        if (++inSentence > 6 + random.below(10)) {
            text += ". ";
            inSentence = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}

qint64 nowMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TraceFile::TraceFile()
    : m_path(qEnvironmentVariable("KELVO_BENCH_TRACE"))
{
}

void TraceFile::write(const QByteArray &event)
{
    if (m_path.isEmpty())
        return;
    const QByteArray line = QByteArray::number(nowMicroseconds()) + ' ' + event + '\n';
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size())
        qWarning("cannot write the trace %s", qPrintable(m_path));
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace bench
