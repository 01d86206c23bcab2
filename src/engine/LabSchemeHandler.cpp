#include "LabSchemeHandler.h"

#include "HtmlCharset.h"
#include "LabFolder.h"
#include "LabScheme.h"
#include "PictureLimits.h"
#include "RuntimeErrors.h"
#include "ViewerLog.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

#include <algorithm>

namespace {

// What the type of a file is told from, besides its name.
constexpr qint64 ContentSniffBytes = 4096;

bool isHtmlName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"htm" || suffix == u"html" || suffix == u"shtml" || suffix == u"xhtml";
}

QByteArray htmlContentType(const QByteArray &document)
{
    return QByteArrayLiteral("text/html;charset=") + kelvo::htmlCharset(document);
}

// The type of a file other than a document, from its name and its first bytes.
QByteArray contentTypeOf(const QString &path, const QByteArray &bytes)
{
    // Style sheets must say so: the engine refuses a style sheet of another type.
    if (QFileInfo(path).suffix().compare(u"css", Qt::CaseInsensitive) == 0)
        return QByteArrayLiteral("text/css");
    const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(QFileInfo(path).fileName(), bytes);
    return type.isValid() ? type.name().toLatin1() : QByteArrayLiteral("application/octet-stream");
}

// Shown instead of a picture that is too large to decode: a grey box, crossed.
const QByteArray PicturePlaceholder = QByteArrayLiteral(
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\"><rect x=\"0.5\" y=\"0.5\" width=\"31\" "
    "height=\"31\" fill=\"#eeeeee\" stroke=\"#808080\"/><path d=\"M0 0L32 32M32 0L0 32\" stroke=\"#808080\"/></svg>");

// Whether the header of a picture declares more pixels than a schema picture may have: the
// engine would decode all of them (a few kilobytes of PNG can hold gigabytes of pixels).
bool pictureTooLarge(const QString &path)
{
    QImageReader reader(path);
    const QByteArray format = reader.format();
    // Vector pictures are drawn at the size they are shown, not at the size they declare.
    if (format.isEmpty() || format.startsWith("svg"))
        return false;
    const QSize size = reader.size();
    return size.isValid() && !kelvo::pictures::withinPictureCaps(size);
}

bool hasControlCharacter(const QString &name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

void replyWith(QWebEngineUrlRequestJob *job, const QByteArray &contentType, const QByteArray &bytes)
{
    auto *buffer = new QBuffer(job);
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    job->reply(contentType, buffer);
}

} // namespace

TLabSchemeHandler::TLabSchemeHandler(QObject *parent)
    : QWebEngineUrlSchemeHandler(parent)
{
}

QUrl TLabSchemeHandler::setDocument(const QByteArray &document)
{
    m_document = document;
    startPage();
    return kelvo::labscheme::pageUrl(++m_generation);
}

void TLabSchemeHandler::requestStarted(QWebEngineUrlRequestJob *job)
{
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || !kelvo::labscheme::isLabUrl(url)) {
        qCDebug(lcViewer) << "refused" << job->requestMethod() << url;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }

    if (const std::optional<quint64> generation = kelvo::labscheme::pageGeneration(url)) {
        // Only the current document is served; an older page URL (history) finds nothing.
        if (*generation != m_generation) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        replyWith(job, htmlContentType(m_document), m_document);
        return;
    }

    const QString name = url.path(QUrl::FullyDecoded);
    if (hasControlCharacter(name)) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    const kelvo::LabFolder folder(m_labFolder.isEmpty() ? QDir::currentPath() : m_labFolder);
    const std::optional<QString> path = folder.resolve(name);
    if (!path || !QFileInfo(*path).isFile()) {
        qCDebug(lcViewer) << "not in the lab folder:" << url;
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    // A page that names a large file again and again (under other queries) must not fill the
    // memory of this process or of the engine's.
    const qint64 size = QFileInfo(*path).size();
    if (size > kelvo::MaxDataFileBytes || size > MaxPageBytes - m_servedBytes) {
        qCDebug(lcViewer) << "refused: the page's files would pass" << MaxPageBytes << "bytes:" << url;
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    m_servedBytes += size;
    if (isHtmlName(*path)) {
        // The whole document, to find its character set.
        try {
            const QByteArray bytes
                = kelvo::readWholeFile(*path, kelvo::LabFolder::shownName(name), kelvo::MaxDataFileBytes);
            replyWith(job, htmlContentType(bytes), bytes);
        } catch (const ERuntimeError &error) {
            qCDebug(lcViewer) << error.message();
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
        }
        return;
    }
    if (pictureTooLarge(*path)) {
        qCDebug(lcViewer) << "a picture too large to show:" << url;
        replyWith(job, QByteArrayLiteral("image/svg+xml"), PicturePlaceholder);
        return;
    }
    auto *file = new QFile(*path, job);
    if (!file->open(QIODevice::ReadOnly)) {
        qCDebug(lcViewer) << "cannot read" << *path << file->errorString();
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    job->reply(contentTypeOf(*path, file->peek(ContentSniffBytes)), file);
}
