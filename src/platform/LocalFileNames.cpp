#include "LocalFileNames.h"

namespace kelvo {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at `at` (its code point in `codePoint`), or 0.
int validSequence(QByteArrayView bytes, qsizetype at, char32_t &codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < smallest || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

} // namespace

QString decodeLocalFileName(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            name.append(QChar(byte));
            ++at;
            continue;
        }
        char32_t codePoint = 0;
        if (const int length = validSequence(bytes, at, codePoint)) {
            name.append(QString::fromUcs4(&codePoint, 1));
            at += length;
        } else {
            name.append(QChar(char16_t(EscapeBase + byte)));
            ++at;
        }
    }
    return name;
}

QByteArray encodeLocalFileName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool pairEnd = i > 0 && name[i - 1].isHighSurrogate();
        if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF && !pairEnd) {
            bytes.append(char(c - EscapeBase));
        } else if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            bytes.append(name.mid(i, 2).toUtf8());
            ++i;
        } else {
            bytes.append(QString(QChar(c)).toUtf8());
        }
    }
    return bytes;
}

QString withoutLoneSurrogates(const QString &text)
{
    QString safe = text;
    for (qsizetype i = 0; i < safe.size(); ++i) {
        if (safe[i].isHighSurrogate() && i + 1 < safe.size() && safe[i + 1].isLowSurrogate())
            ++i;
        else if (safe[i].isSurrogate())
            safe[i] = QChar::ReplacementCharacter;
    }
    return safe;
}

} // namespace kelvo
