#pragma once

// Builds WMF and EMF files record by record for the tests.

#include <QByteArray>
#include <QImage>
#include <QIODevice>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace kelvo::test {

class Bytes
{
public:
    Bytes &u8(quint8 v) { return raw(&v, 1); }
    Bytes &u16(quint16 v)
    {
        v = qToLittleEndian(v);
        return raw(&v, 2);
    }
    Bytes &i16(qint16 v) { return u16(quint16(v)); }
    Bytes &u32(quint32 v)
    {
        v = qToLittleEndian(v);
        return raw(&v, 4);
    }
    Bytes &i32(qint32 v) { return u32(quint32(v)); }
    Bytes &f32(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Bytes &words(std::initializer_list<int> values)
    {
        for (int v : values)
            i16(qint16(v));
        return *this;
    }
    Bytes &longs(std::initializer_list<qint64> values)
    {
        for (qint64 v : values)
            i32(qint32(v));
        return *this;
    }
    Bytes &bytes(const QByteArray &b)
    {
        m_data += b;
        return *this;
    }
    Bytes &pad(int multiple)
    {
        while (m_data.size() % multiple)
            m_data += '\0';
        return *this;
    }
    const QByteArray &data() const { return m_data; }
    qsizetype size() const { return m_data.size(); }

private:
    Bytes &raw(const void *p, int n)
    {
        m_data.append(static_cast<const char *>(p), n);
        return *this;
    }
    QByteArray m_data;
};

inline quint32 rgb(int r, int g, int b)
{
    return quint32(r) | quint32(g) << 8 | quint32(b) << 16;
}

// A packed DIB (BITMAPINFOHEADER, colour table, rows) of a 24-bit image, bottom row first.
inline QByteArray packedDib24(const QImage &image)
{
    Bytes b;
    const int stride = (image.width() * 3 + 3) / 4 * 4;
    b.u32(40)
        .i32(image.width())
        .i32(image.height())
        .u16(1)
        .u16(24)
        .u32(0)
        .u32(stride * image.height())
        .u32(0)
        .u32(0)
        .u32(0)
        .u32(0);
    for (int y = image.height() - 1; y >= 0; --y) {
        Bytes row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row.u8(quint8(qBlue(c))).u8(quint8(qGreen(c))).u8(quint8(qRed(c)));
        }
        row.pad(4);
        b.bytes(row.data());
    }
    return b.data();
}

// An 8-bit RLE DIB: `palette` colours, then the RLE8 `data` as given.
inline QByteArray packedDibRle8(int width, int height, const QList<quint32> &palette, const QByteArray &data)
{
    Bytes b;
    b.u32(40)
        .i32(width)
        .i32(height)
        .u16(1)
        .u16(8)
        .u32(1)
        .u32(quint32(data.size()))
        .u32(0)
        .u32(0)
        .u32(quint32(palette.size()))
        .u32(0);
    for (quint32 c : palette)
        b.u32(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)); // RGBQUAD is blue first
    b.bytes(data);
    return b.data();
}

class WmfWriter
{
public:
    // Parameters as 16-bit words, in the order the record stores them.
    WmfWriter &record(quint16 function, std::initializer_list<int> words)
    {
        Bytes params;
        params.words(words);
        return record(function, params.data());
    }
    WmfWriter &record(quint16 function, const QByteArray &params)
    {
        QByteArray p = params;
        if (p.size() % 2)
            p += '\0';
        Bytes r;
        r.u32(quint32(3 + p.size() / 2)).u16(function).bytes(p);
        m_records += r.data();
        m_maxRecord = std::max<quint32>(m_maxRecord, quint32(3 + p.size() / 2));
        return *this;
    }
    // Appends raw bytes (a broken record, say).
    WmfWriter &raw(const QByteArray &bytes)
    {
        m_records += bytes;
        return *this;
    }

    WmfWriter &pen(int style, int width, quint32 color)
    {
        Bytes p;
        p.u16(quint16(style)).i16(qint16(width)).i16(0).u32(color);
        return record(0x02FA, p.data());
    }
    WmfWriter &brush(int style, quint32 color, int hatch = 0)
    {
        Bytes p;
        p.u16(quint16(style)).u32(color).u16(quint16(hatch));
        return record(0x02FC, p.data());
    }
    WmfWriter &font(int height, int weight, int charSet, const QByteArray &face, int escapement = 0)
    {
        Bytes p;
        p.i16(qint16(height)).i16(0).i16(qint16(escapement)).i16(qint16(escapement)).i16(qint16(weight));
        p.u8(0).u8(0).u8(0).u8(quint8(charSet)).u8(0).u8(0).u8(0).u8(0);
        QByteArray name = face;
        name.append('\0');
        p.bytes(name);
        return record(0x02FB, p.data());
    }
    WmfWriter &select(int index) { return record(0x012D, { index }); }
    WmfWriter &remove(int index) { return record(0x01F0, { index }); }
    WmfWriter &textOut(int x, int y, const QByteArray &text)
    {
        Bytes p;
        p.u16(quint16(text.size())).bytes(text).pad(2).i16(qint16(y)).i16(qint16(x));
        return record(0x0521, p.data());
    }
    WmfWriter &stretchDib(QRect destination, QRect source, const QByteArray &dib, quint32 rop = 0x00CC0020)
    {
        Bytes p;
        p.u32(rop).u16(0).words({ source.height(), source.width(), source.y(), source.x(), destination.height(),
            destination.width(), destination.y(), destination.x() });
        p.bytes(dib);
        return record(0x0F43, p.data());
    }
    WmfWriter &polygon(std::initializer_list<QPoint> points)
    {
        Bytes p;
        p.u16(quint16(points.size()));
        for (const QPoint &pt : points)
            p.i16(qint16(pt.x())).i16(qint16(pt.y()));
        return record(0x0324, p.data());
    }

    QByteArray finish(int objects = 16) const
    {
        Bytes header;
        const QByteArray end = Bytes().u32(3).u16(0).data();
        header.u16(1)
            .u16(9)
            .u16(0x0300)
            .u32(quint32((18 + m_records.size() + end.size()) / 2))
            .u16(quint16(objects))
            .u32(m_maxRecord)
            .u16(0);
        return header.data() + m_records + end;
    }
    QByteArray finishPlaceable(QRect box, int unitsPerInch, int objects = 16) const
    {
        Bytes p;
        p.u32(0x9AC6CDD7)
            .u16(0)
            .i16(qint16(box.left()))
            .i16(qint16(box.top()))
            .i16(qint16(box.left() + box.width()))
            .i16(qint16(box.top() + box.height()))
            .u16(quint16(unitsPerInch))
            .u32(0);
        quint16 checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= qFromLittleEndian<quint16>(p.data().constData() + 2 * i);
        p.u16(checksum);
        return p.data() + finish(objects);
    }

private:
    QByteArray m_records;
    quint32 m_maxRecord = 3;
};

class EmfWriter
{
public:
    EmfWriter &record(quint32 type, const QByteArray &params)
    {
        QByteArray p = params;
        while (p.size() % 4)
            p += '\0';
        Bytes r;
        r.u32(type).u32(quint32(8 + p.size())).bytes(p);
        m_records += r.data();
        ++m_count;
        return *this;
    }
    EmfWriter &record(quint32 type, std::initializer_list<qint64> longs)
    {
        Bytes p;
        p.longs(longs);
        return record(type, p.data());
    }
    EmfWriter &raw(const QByteArray &bytes)
    {
        m_records += bytes;
        return *this;
    }

    EmfWriter &pen(quint32 index, quint32 style, int width, quint32 color)
    {
        return record(38, { index, style, width, 0, color });
    }
    EmfWriter &brush(quint32 index, quint32 style, quint32 color, quint32 hatch = 0)
    {
        return record(39, { index, style, color, hatch });
    }
    EmfWriter &select(quint32 index) { return record(37, { qint64(index) }); }
    EmfWriter &font(quint32 index, int height, int weight, int charSet, const QString &face)
    {
        Bytes p;
        p.u32(index).i32(height).i32(0).i32(0).i32(0).i32(weight).u8(0).u8(0).u8(0).u8(quint8(charSet));
        p.u8(0).u8(0).u8(0).u8(0);
        for (int i = 0; i < 32; ++i)
            p.u16(i < face.size() ? face[i].unicode() : 0);
        return record(82, p.data());
    }
    EmfWriter &textOutW(QPoint at, const QString &text)
    {
        Bytes p;
        const quint32 offString = 8 + 16 + 12 + 40;
        p.longs({ 0, 0, -1, -1 }).u32(1).f32(1).f32(1);
        p.i32(at.x()).i32(at.y()).u32(quint32(text.size())).u32(offString).u32(0).longs({ 0, 0, -1, -1 }).u32(0);
        for (const QChar c : text)
            p.u16(c.unicode());
        return record(84, p.data());
    }
    EmfWriter &polygon(std::initializer_list<QPoint> points)
    {
        Bytes p;
        p.longs({ 0, 0, -1, -1 }).u32(quint32(points.size()));
        for (const QPoint &pt : points)
            p.i32(pt.x()).i32(pt.y());
        return record(3, p.data());
    }

    // frame: hundredths of a millimetre; the reference device is `devicePixels` over `millimetres`.
    QByteArray finish(QRect frame, QSize devicePixels = { 960, 960 }, QSize millimetres = { 254, 254 },
        int handles = 16, QRect bounds = { 0, 0, 100, 100 }) const
    {
        const QByteArray end = Bytes().u32(14).u32(20).u32(0).u32(16).u32(20).data();
        Bytes h;
        const quint32 headerSize = 108;
        h.u32(1).u32(headerSize);
        h.longs({ bounds.left(), bounds.top(), bounds.right(), bounds.bottom() });
        h.longs({ frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height() });
        h.u32(0x464D4520)
            .u32(0x10000)
            .u32(quint32(headerSize + m_records.size() + end.size()))
            .u32(quint32(m_count + 2))
            .u16(quint16(handles))
            .u16(0)
            .u32(0)
            .u32(0)
            .u32(0);
        h.i32(devicePixels.width()).i32(devicePixels.height()).i32(millimetres.width()).i32(millimetres.height());
        h.u32(0).u32(0).u32(0).i32(millimetres.width() * 1000).i32(millimetres.height() * 1000);
        return h.data() + m_records + end;
    }

private:
    QByteArray m_records;
    int m_count = 0;
};

} // namespace kelvo::test
