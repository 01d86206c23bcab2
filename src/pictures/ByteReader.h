#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace kelvo::pictures {

// Little-endian reads from a piece of a file. Every read is checked against the piece: a read
// past its end raises MetafileFault, so a size, count or offset taken from the file can never
// reach outside it.
class ByteReader final
{
public:
    ByteReader() = default;
    explicit ByteReader(QByteArrayView data)
        : m_data(data)
    {
    }

    qsizetype size() const { return m_data.size(); }
    bool contains(qint64 offset, qint64 count) const
    {
        return offset >= 0 && count >= 0 && offset <= m_data.size() && count <= m_data.size() - offset;
    }

    quint8 u8(qint64 offset) const;
    quint16 u16(qint64 offset) const;
    qint16 i16(qint64 offset) const { return qint16(u16(offset)); }
    quint32 u32(qint64 offset) const;
    qint32 i32(qint64 offset) const { return qint32(u32(offset)); }
    float f32(qint64 offset) const;

    QByteArrayView bytes(qint64 offset, qint64 count) const;
    ByteReader sub(qint64 offset, qint64 count) const { return ByteReader(bytes(offset, count)); }
    // From offset to the end.
    ByteReader from(qint64 offset) const;

private:
    void require(qint64 offset, qint64 count) const;

    QByteArrayView m_data;
};

} // namespace kelvo::pictures
