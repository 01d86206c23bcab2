#include "ByteReader.h"

#include "PictureErrors.h"

#include <QtEndian>

#include <cstring>

namespace kelvo::pictures {

void ByteReader::require(qint64 offset, qint64 count) const
{
    if (!contains(offset, count))
        fail();
}

quint8 ByteReader::u8(qint64 offset) const
{
    require(offset, 1);
    return quint8(m_data[offset]);
}

quint16 ByteReader::u16(qint64 offset) const
{
    require(offset, 2);
    return qFromLittleEndian<quint16>(m_data.data() + offset);
}

quint32 ByteReader::u32(qint64 offset) const
{
    require(offset, 4);
    return qFromLittleEndian<quint32>(m_data.data() + offset);
}

float ByteReader::f32(qint64 offset) const
{
    const quint32 bits = u32(offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArrayView ByteReader::bytes(qint64 offset, qint64 count) const
{
    require(offset, count);
    return m_data.sliced(offset, count);
}

ByteReader ByteReader::from(qint64 offset) const
{
    require(offset, 0);
    return ByteReader(m_data.sliced(offset));
}

} // namespace kelvo::pictures
