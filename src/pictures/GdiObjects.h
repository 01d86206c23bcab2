#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QString>

#include <set>
#include <variant>

// Values and drawing objects of the Windows graphics device interface, as metafiles store them.
namespace kelvo::pictures::gdi {

enum PenStyle : quint32 {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0x0F,
    PS_ENDCAP_MASK = 0x0F00,
    PS_ENDCAP_SQUARE = 0x0100,
    PS_ENDCAP_FLAT = 0x0200,
    PS_JOIN_MASK = 0xF000,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_GEOMETRIC = 0x00010000,
};

enum BrushStyle : quint32 {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6,
};

enum HatchStyle : quint32 {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5,
};

enum MapMode : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

enum BackgroundMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum PolyFillMode : int { ALTERNATE = 1, WINDING = 2 };

enum TextAlign : quint32 {
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_HORIZONTAL_MASK = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_VERTICAL_MASK = 24,
};

enum TextOutOptions : quint32 { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_PDY = 0x2000 };

enum CharSet : quint8 {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    RUSSIAN_CHARSET = 204,
    OEM_CHARSET = 255,
};

enum RasterOperation : quint32 {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    PATCOPY = 0x00F00021,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
};

enum RegionMode : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

enum StockObject : quint32 {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19,
};

// A COLORREF: 0x00BBGGRR; the high byte (palette-relative flags) is ignored.
inline QColor colorRef(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

struct LogPen
{
    quint32 style = PS_SOLID;
    qreal width = 0; // logical units; 0 draws one device pixel wide
    QColor color = Qt::black;
    bool extended = false; // from ExtCreatePen: caps, joins and dashes as its style says
    QList<qreal> userDashes;
};

struct LogBrush
{
    quint32 style = BS_SOLID;
    QColor color = Qt::white;
    quint32 hatch = HS_HORIZONTAL;
    QImage pattern;
};

struct LogFont
{
    qint32 height = 0;
    qint32 width = 0;
    qint32 escapement = 0; // tenths of a degree, counter-clockwise
    qint32 weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    quint8 charSet = DEFAULT_CHARSET;
    QString faceName;
};

// A region: rectangles in device units (EMF), or in logical units where WMF records create it.
struct LogRegion
{
    QList<QRectF> rectangles;
    bool logicalUnits = false;
};

// Palettes, colour spaces and other objects that take a slot but do not change the drawing.
struct OtherObject
{
};

using Object = std::variant<OtherObject, LogPen, LogBrush, LogFont, LogRegion>;

// The handle table of a playing metafile. WMF objects go into the lowest free slot, EMF records
// name their slot; both tables have the size the header gives.
class ObjectTable final
{
public:
    explicit ObjectTable(int capacity = 0)
        : m_capacity(capacity)
    {
    }

    // Puts an object into the lowest free slot; false when the table is full (as Windows, the
    // creation then fails and later records refer to other slots).
    bool add(Object object);
    // Puts an object into the given slot; false when it is outside the table.
    bool set(quint32 index, Object object);
    const Object *find(quint32 index) const;
    void remove(quint32 index);

private:
    int m_capacity;
    int m_nextFresh = 0;
    std::set<int> m_freed; // free slots below m_nextFresh
    QHash<quint32, Object> m_objects;
};

} // namespace kelvo::pictures::gdi
