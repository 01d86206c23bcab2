#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTransform>

class QPainter;

namespace kelvo::pictures {

// A Windows metafile (WMF, with or without the placeable header, or EMF), read and checked once,
// then played onto a painter as often as needed.
class Metafile final
{
public:
    // Reads the header and checks every record by playing the file without drawing. Raises
    // MetafileFault when the data contradicts itself, PictureTooLarge when the stated size passes
    // the caps.
    static Metafile read(QByteArray data);

    static bool isEmf(QByteArrayView data);
    static bool isWmf(QByteArrayView data);

    // The size a Windows picture control gives it on a 96 DPI screen.
    QSize size() const { return m_size; }

    // Draws the picture with its top-left corner at the painter's origin, `scale` device pixels
    // for each pixel of size().
    void play(QPainter *painter, qreal scale) const;

    class PictureTooLarge final : public std::exception
    {
    public:
        const char *what() const noexcept override { return "picture too large"; }
    };

private:
    enum class Kind { Wmf, Emf };
    Metafile() = default;
    void readWmf();
    void readEmf();
    void playInto(QPainter *painter, qreal scale) const;

    Kind m_kind = Kind::Wmf;
    QByteArray m_data;
    QSize m_size;
    qint64 m_recordsAt = 0; // WMF: where the records begin
    QRectF m_window; // WMF: the logical window the picture shows
    int m_objectCapacity = 0;
    QTransform m_deviceToPicture; // EMF: reference device units to picture pixels
    QPointF m_deviceUnitsPerMm { 96 / 25.4, 96 / 25.4 };
};

} // namespace kelvo::pictures
