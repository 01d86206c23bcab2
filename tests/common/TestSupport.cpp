#include "TestSupport.h"

#include "CodePages.h"
#include "RuntimeErrors.h"

#include <QFile>

#include <QFileInfo>
#include <QJsonDocument>
#include <zip.h>

namespace kelvo::test {

QString writeFile(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.absoluteFilePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write test fixture %s", qPrintable(path));
    return path;
}

void writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &entries)
{
    QFile::remove(path);
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create test archive %s", qPrintable(path));
    for (const auto &[name, data] : entries) {
        zip_source_t *source = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        if (!source || zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE) < 0)
            qFatal("cannot add %s to the test archive", name.constData());
    }
    // The buffers must live until the archive is written, which zip_close does.
    if (zip_close(archive) != 0)
        qFatal("cannot write test archive %s", qPrintable(path));
}

QJsonObject onlyJsonIn(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({ QStringLiteral("*.json") }, QDir::Files);
    if (names.size() != 1)
        return {};
    QFile file(QDir(folder).filePath(names.first()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QByteArray windowsText(const QString &text)
{
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return encodeWindows1251(crlf);
}

QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ERuntimeError &error) {
        return error.message();
    }
    return QString();
}

DefaultLocale::DefaultLocale(const QLocale &locale)
    : m_previous(QLocale())
{
    QLocale::setDefault(locale);
}

DefaultLocale::~DefaultLocale()
{
    QLocale::setDefault(m_previous);
}

CurrentDirectory::CurrentDirectory(const QString &path)
    : m_previous(QDir::currentPath())
{
    QDir::setCurrent(path);
}

CurrentDirectory::~CurrentDirectory()
{
    QDir::setCurrent(m_previous);
}

} // namespace kelvo::test
