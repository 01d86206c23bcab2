#include "CodePages.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace kelvo {

namespace {

// Upper halves (0x80..0xFF) of the two code pages.
constexpr std::array<char16_t, 128> Windows1251 = { 0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1,
    0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B,
    0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439,
    0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F };

constexpr std::array<char16_t, 128> Cp866 = {
    // 0x80..0xAF: А..п
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B,
    0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439,
    0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    // 0xB0..0xDF: box drawing
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C,
    0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566,
    0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518,
    0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    // 0xE0..0xEF: р..я
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D,
    0x044E, 0x044F,
    // 0xF0..0xFF
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4,
    0x25A0, 0x00A0
};

QString decodeWith(QByteArrayView bytes, const std::array<char16_t, 128> &upper)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        *out++ = QChar(byte < 0x80 ? char16_t(byte) : upper[byte - 0x80]);
    }
    return text;
}

int windows1251Byte(char16_t u)
{
    if (u < 0x80)
        return u;
    if (u >= 0x0410 && u <= 0x044F)
        return 0xC0 + (u - 0x0410);
    for (size_t i = 0; i < 64; ++i) {
        if (Windows1251[i] == u)
            return int(0x80 + i);
    }
    return -1;
}

} // namespace

QString decodeWindows1251(QByteArrayView bytes)
{
    return decodeWith(bytes, Windows1251);
}

QString decodeCp866(QByteArrayView bytes)
{
    return decodeWith(bytes, Cp866);
}

QByteArray encodeWindows1251(QStringView text, bool *lossless)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    bool exact = true;
    for (const QChar c : text) {
        const int b = windows1251Byte(c.unicode());
        if (b < 0)
            exact = false;
        bytes.append(b < 0 ? '?' : char(b));
    }
    if (lossless)
        *lossless = exact;
    return bytes;
}

QByteArray encodeWindows1251ForHtml(QStringView text)
{
    // A page is written a byte at a time into room for one byte a character; a reference, which
    // is longer, makes room for itself and the characters still to come.
    QByteArray bytes(text.size(), Qt::Uninitialized);
    qsizetype size = 0;
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = windows1251Byte(text[i].unicode());
        if (b >= 0) {
            out[size++] = char(b);
            continue;
        }
        char32_t codePoint = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const QByteArray reference = "&#" + QByteArray::number(quint32(codePoint)) + ';';
        const qsizetype needed = size + reference.size() + (text.size() - i - 1);
        if (needed > bytes.size()) {
            bytes.resize(std::max(needed, bytes.size() * 2));
            out = bytes.data();
        }
        std::memcpy(out + size, reference.constData(), size_t(reference.size()));
        size += reference.size();
    }
    bytes.truncate(size);
    return bytes;
}

bool hasUtf8ByteOrderMark(QByteArrayView bytes)
{
    return bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF';
}

bool isValidUtf8(QByteArrayView bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        char32_t minimum = 0;
        char32_t codePoint = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
            minimum = 0x80;
            codePoint = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            minimum = 0x800;
            codePoint = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            minimum = 0x10000;
            codePoint = b & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        for (int k = 1; k <= follow; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (c & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

QString decodeDataText(QByteArrayView bytes)
{
    if (hasUtf8ByteOrderMark(bytes))
        return QString::fromUtf8(bytes.sliced(3));
    // Notepad's "Unicode" saves; the Windows profile functions read them too.
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.sliced(2));
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.sliced(2));
    bool ascii = true;
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii && isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeWindows1251(bytes);
}

} // namespace kelvo
