#include "GdiPlayer.h"

#include "FontFamily.h"
#include "PictureLimits.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvo::pictures {

using namespace gdi;

namespace {

// The cell height Windows gives a font whose height is 0.
constexpr qreal DefaultCellHeight = 16;
constexpr qreal MaxFontPixels = 4096;

qreal length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

QFont makeFont(const LogFont &logFont, qreal pixelHeight, qreal pixelWidth, const QPaintDevice *device)
{
    QFont font(fontFamilyFor(logFont.faceName));
    const qreal dpi = device ? device->logicalDpiY() : 96;
    auto setPixels = [&](qreal pixels) { font.setPointSizeF(std::clamp(pixels, 0.5, MaxFontPixels) * 72 / dpi); };
    // A negative height is the character height, a positive one the cell height (with the
    // internal leading), as Windows reads LOGFONT.
    setPixels(pixelHeight);
    font.setWeight(QFont::Weight(std::clamp(logFont.weight == 0 ? 400 : logFont.weight, 100, 900)));
    font.setItalic(logFont.italic);
    font.setUnderline(logFont.underline);
    font.setStrikeOut(logFont.strikeOut);
    if (logFont.height > 0) {
        const QFontMetricsF metrics(font, device);
        const qreal cell = metrics.ascent() + metrics.descent();
        if (cell > 0)
            setPixels(pixelHeight * pixelHeight / cell);
    }
    if (pixelWidth > 0) {
        const QFontMetricsF metrics(font, device);
        const qreal average = metrics.averageCharWidth();
        if (average > 0)
            font.setStretch(std::clamp(int(std::lround(100 * pixelWidth / average)), 1, 4000));
    }
    return font;
}

// The record's advances in device pixels, and their sum; none when the record has too few.
QList<qreal> deviceAdvances(const GdiPlayer::TextOut &out, qreal xScale, qreal &width)
{
    QList<qreal> advances;
    width = 0;
    if (out.advances.size() < out.text.size())
        return advances;
    for (qsizetype i = 0; i < out.text.size(); ++i) {
        advances.append(std::clamp(out.advances[i] * xScale, -CoordinateLimit, CoordinateLimit));
        width += advances.last();
    }
    return advances;
}

// Each character where the record puts it: the layout stays even when the font that stands in
// for the one the picture names is wider or narrower.
void drawEachCharacter(QPainter &painter, const QString &text, const QList<qreal> &advances, QPointF start)
{
    qreal x = start.x();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        painter.drawText(QPointF(x, start.y()), text.mid(i, pair ? 2 : 1));
        x += advances[i];
        if (pair)
            x += advances[++i];
    }
}

// Where the text starts and its baseline, in the text's own frame, for the alignment.
QPointF alignedStart(quint32 textAlign, qreal width, const QFontMetricsF &metrics)
{
    const quint32 horizontal = textAlign & TA_HORIZONTAL_MASK;
    const quint32 vertical = textAlign & TA_VERTICAL_MASK;
    const qreal x0 = horizontal == TA_CENTER ? -width / 2 : horizontal == TA_RIGHT ? -width : 0;
    const qreal baseline = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -metrics.descent() : metrics.ascent();
    return { x0, baseline };
}

} // namespace

void GdiPlayer::textOut(const TextOut &out)
{
    if (m_pathOpen)
        return; // text outlines in paths are not drawn
    const QTransform transform = logicalToPicture();
    if (!usable(transform))
        return;
    const bool updateCp = m_dc.textAlign & TA_UPDATECP;
    const QPointF logicalReference = updateCp ? m_dc.currentPosition : out.reference;
    const QPointF origin = transform.map(QPointF(0, 0));
    const QPointF xAxis = transform.map(QPointF(1, 0)) - origin;
    const qreal xScale = length(xAxis);
    const qreal yScale = length(transform.map(QPointF(0, 1)) - origin);
    const QPointF reference = transform.map(logicalReference);
    if (!std::isfinite(reference.x()) || !std::isfinite(reference.y()) || std::abs(reference.x()) > CoordinateLimit
        || std::abs(reference.y()) > CoordinateLimit)
        return;

    const LogFont &logFont = m_dc.font;
    const qreal pixelHeight = logFont.height == 0 ? DefaultCellHeight : std::abs(qreal(logFont.height)) * yScale;
    const qreal pixelWidth = std::abs(qreal(logFont.width)) * xScale;
    // The escapement turns the text counter-clockwise as the device shows it; a world transform
    // that rotates turns it as well.
    const qreal angle = logFont.escapement / 10.0 + std::atan2(-xAxis.y(), xAxis.x()) * 180 / M_PI;

    qreal width = 0;
    const QList<qreal> advances = deviceAdvances(out, xScale, width);

    QRectF opaqueRect;
    if (out.rect)
        opaqueRect = transform.mapRect(out.rect->normalized());

    if (!m_painter) {
        const qreal estimate = advances.isEmpty() ? out.text.size() * pixelHeight * 0.6 : width;
        addBounds(QRectF(reference, QSizeF(1, 1)).adjusted(-estimate, -2 * pixelHeight, estimate, 2 * pixelHeight));
        if (out.options & ETO_OPAQUE)
            addBounds(opaqueRect);
        return;
    }

    const QFont font = makeFont(
        logFont, std::min(pixelHeight, MaxFontPixels), std::min(pixelWidth, MaxFontPixels), m_painter->device());
    const QFontMetricsF metrics(font, m_painter->device());
    if (advances.isEmpty())
        width = metrics.horizontalAdvance(out.text);

    applyClip();
    m_painter->save();
    const QTransform base = QTransform::fromScale(m_scale, m_scale);
    m_painter->setTransform(base);
    if (out.options & ETO_OPAQUE && out.rect)
        m_painter->fillRect(opaqueRect, m_dc.backgroundColor);
    if (out.options & ETO_CLIPPED && out.rect)
        m_painter->setClipRect(opaqueRect, Qt::IntersectClip);

    QTransform textFrame;
    textFrame.translate(reference.x(), reference.y());
    textFrame.rotate(-angle);
    m_painter->setTransform(textFrame * base);

    const QPointF start = alignedStart(m_dc.textAlign, width, metrics);
    if (m_dc.backgroundMode == OPAQUE)
        m_painter->fillRect(
            QRectF(start.x(), start.y() - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
            m_dc.backgroundColor);

    m_painter->setFont(font);
    m_painter->setPen(m_dc.textColor);
    if (advances.isEmpty())
        m_painter->drawText(start, out.text);
    else
        drawEachCharacter(*m_painter, out.text, advances, start);
    m_painter->restore();

    const quint32 horizontal = m_dc.textAlign & TA_HORIZONTAL_MASK;
    if (updateCp && xScale > 0) {
        const qreal logicalWidth = width / xScale;
        if (horizontal == TA_RIGHT)
            m_dc.currentPosition.rx() -= logicalWidth;
        else if (horizontal != TA_CENTER)
            m_dc.currentPosition.rx() += logicalWidth;
    }
}

} // namespace kelvo::pictures
