#include "TestSupport.h"

#include "CodePages.h"

#include <QFile>
#include <QFileInfo>

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

QByteArray windowsText(const QString &text)
{
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return encodeWindows1251(crlf);
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
