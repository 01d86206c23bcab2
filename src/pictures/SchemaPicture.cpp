#include "SchemaPicture.h"

#include "DibDecoder.h"
#include "LabFolder.h"
#include "Localization.h"
#include "Metafile.h"
#include "PictureErrors.h"
#include "PictureLimits.h"
#include "TextFormat.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace kelvo {

using pictures::Metafile;

namespace {

const QString &invalidText(SchemaPicture::Format format)
{
    switch (format) {
    case SchemaPicture::Format::Bmp:
        return Texts::InvalidBitmap;
    case SchemaPicture::Format::Ico:
        return Texts::InvalidIcon;
    case SchemaPicture::Format::Jpeg:
        return Texts::InvalidJpeg;
    case SchemaPicture::Format::Png:
        return Texts::InvalidPng;
    default:
        return Texts::InvalidMetafile;
    }
}

// An icon holds several images; Windows shows the one that best fits its standard 32 × 32 size
// (the richer colour depth on a tie, which Qt's reader does not tell: the first wins then).
int bestIconImage(QImageReader &reader)
{
    int best = 0;
    qint64 bestDistance = -1;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        const qint64 distance = std::abs(size.width() - 32) + std::abs(size.height() - 32);
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QImage readBitmap(const QByteArray &data, SchemaPicture::Format format, const QString &shownName)
{
    static constexpr const char *formats[] = { "bmp", "ico", "jpeg", "png" };
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, formats[int(format)]);
    reader.setDecideFormatFromContent(false);
    if (format == SchemaPicture::Format::Ico) {
        const int index = bestIconImage(reader);
        buffer.seek(0);
        reader.setDevice(&buffer);
        if (index > 0)
            reader.jumpToImage(index);
    }
    const QSize size = reader.size();
    if (size.isValid() && !pictures::withinPictureCaps(size))
        throw EInvalidGraphic(kelvo::format(Texts::PictureTooLarge, { shownName }));
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(kelvo::format(invalidText(format), { shownName }));
    if (!pictures::withinPictureCaps(image.size()))
        throw EInvalidGraphic(kelvo::format(Texts::PictureTooLarge, { shownName }));
    return image;
}

} // namespace

SchemaPicture::SchemaPicture() = default;

std::optional<SchemaPicture::Format> SchemaPicture::formatOf(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    const QStringView extension = fileName.sliced(dot + 1);
    static constexpr std::pair<QStringView, Format> known[] = {
        { u"bmp", Format::Bmp },
        { u"ico", Format::Ico },
        { u"emf", Format::Emf },
        { u"wmf", Format::Wmf },
        { u"jpg", Format::Jpeg },
        { u"jpeg", Format::Jpeg },
        { u"png", Format::Png },
    };
    for (const auto &[name, format] : known) {
        if (extension.compare(name, Qt::CaseInsensitive) == 0)
            return format;
    }
    return std::nullopt;
}

SchemaPicture SchemaPicture::load(const QString &fileName)
{
    const QString shown = LabFolder::shownName(fileName);
    const std::optional<Format> format = formatOf(fileName);
    if (!format) {
        const qsizetype dot = fileName.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : fileName.sliced(dot + 1);
        throw EInvalidGraphic(kelvo::format(Texts::UnknownPictureExtension, { extension }));
    }
    const std::optional<QString> path = LabFolder().resolve(fileName);
    if (!path)
        throw EFOpenError::cannotOpen(shown);
    return fromData(readWholeFile(*path, shown, MaxDataFileBytes), *format, shown);
}

SchemaPicture SchemaPicture::fromData(const QByteArray &data, Format format, const QString &shownName)
{
    SchemaPicture picture;
    picture.m_format = format;
    if (format == Format::Wmf || format == Format::Emf) {
        try {
            auto metafile = std::make_shared<const Metafile>(Metafile::read(data));
            picture.m_size = metafile->size();
            picture.m_metafile = std::move(metafile);
        } catch (const Metafile::PictureTooLarge &) {
            throw EInvalidGraphic(kelvo::format(Texts::PictureTooLarge, { shownName }));
        } catch (const pictures::MetafileFault &) {
            throw EInvalidGraphic(kelvo::format(Texts::InvalidMetafile, { shownName }));
        }
        return picture;
    }

    QImage image = readBitmap(data, format, shownName);
    if (format == Format::Bmp) {
        // The picture control draws a bitmap transparent: the colour of its bottom-left pixel
        // is left out.
        image = pictures::withColorLeftOut(image, image.pixel(0, image.height() - 1));
    }
    picture.m_size = image.size();
    picture.m_bitmap = std::move(image);
    return picture;
}

QImage SchemaPicture::image(qreal devicePixelRatio) const
{
    if (isNull())
        return {};
    qreal ratio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1;
    const qreal pixels = qreal(m_size.width()) * m_size.height() * ratio * ratio;
    if (pixels > qreal(pictures::MaxRenderedPixels))
        ratio *= std::sqrt(qreal(pictures::MaxRenderedPixels) / pixels);
    const QSize deviceSize(std::max(1, int(std::ceil(m_size.width() * ratio - 1e-6))),
        std::max(1, int(std::ceil(m_size.height() * ratio - 1e-6))));

    QImage result;
    if (!m_metafile) {
        result = deviceSize == m_bitmap.size()
            ? m_bitmap
            : m_bitmap.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::FastTransformation); // hard pixel edges
    } else {
        result = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        m_metafile->play(&painter, ratio);
    }
    result.setDevicePixelRatio(ratio);
    return result;
}

} // namespace kelvo
