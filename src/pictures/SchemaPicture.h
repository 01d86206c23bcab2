#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace kelvo {

namespace pictures {
class Metafile;
}

// The schema picture of an experiment: BMP, ICO, JPEG and PNG through Qt's readers, WMF and EMF
// through our own metafile player. A value; copies share the decoded data.
class SchemaPicture final
{
public:
    enum class Format { Bmp, Ico, Jpeg, Png, Wmf, Emf };

    SchemaPicture();

    // Loads a picture that the lab work names, found relative to the current directory as lab
    // folder names are (letter case and "\" do not matter). The format follows the extension,
    // without regard to case: bmp, ico, emf, wmf, jpg, jpeg, png. Throws EFOpenError for a missing
    // file, EInvalidGraphic for another extension or unreadable data, EReadError for a file above
    // the data size cap.
    static SchemaPicture load(const QString &fileName);

    // Decodes bytes already read; `shownName` is the name error texts show.
    static SchemaPicture fromData(const QByteArray &data, Format format, const QString &shownName);

    static std::optional<Format> formatOf(QStringView fileName);

    bool isNull() const { return m_size.isEmpty(); }
    Format format() const { return m_format; }

    // The size in pixels that a Windows picture control gives the picture on a 96 DPI screen.
    QSize size() const { return m_size; }

    // The picture drawn at size() × devicePixelRatio device pixels (the ratio is set on the image),
    // transparent where nothing is drawn. A BMP leaves out the colour of its bottom-left pixel.
    // A metafile is drawn anew at the ratio, so it stays sharp on high-DPI screens; its text needs
    // the fonts of a QGuiApplication.
    QImage image(qreal devicePixelRatio = 1) const;

private:
    Format m_format = Format::Bmp;
    QSize m_size;
    QImage m_bitmap;
    std::shared_ptr<const pictures::Metafile> m_metafile;
};

} // namespace kelvo
