#pragma once

#include "geometry/arc.h"
#include "preview/picture_colours.h"
#include "preview/script_picture.h"
#include "preview/script_text.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace vektrano {

// Scene coordinates are the drawing's millimetres with y turned down, as Qt
// counts it, so the drawing stands upright without a mirrored view.
inline QPointF ScenePoint(Point p) { return {p.x, -p.y}; }

inline QRectF SceneRect(const Box& extent)
{
    return QRectF(QPointF(extent.min.x, -extent.max.y), QPointF(extent.max.x, -extent.min.y));
}

// The fonts a text is drawn in, at a size where their metrics are precise; the
// painter scales them to each text's height.
class TextFonts
{
public:
    const QFont& Font(TextFont font)
    {
        Load(font);
        return fonts_[static_cast<std::size_t>(font)];
    }
    const QFontMetricsF& Metrics(TextFont font)
    {
        Load(font);
        return *metrics_[static_cast<std::size_t>(font)];
    }

private:
    void Load(TextFont font)
    {
        const auto index = static_cast<std::size_t>(font);
        if (metrics_[index])
            return;
        QFont loaded = font == TextFont::Fixed ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                               : QFont(QStringLiteral("Sans Serif"));
        loaded.setPixelSize(100);
        fonts_[index] = loaded;
        metrics_[index].emplace(loaded);
    }

    std::array<QFont, 3> fonts_;
    std::array<std::optional<QFontMetricsF>, 3> metrics_;
};

// All shapes of one kind (or one layer), painted in one pass that skips what
// lies outside the exposed part of the view: a million script lines stay a
// handful of items.
class ShapesItem final : public QGraphicsItem
{
public:
    ShapesItem(QColor colour, const ScriptPicture& picture, const KindSummary& summary)
        : colour_(colour)
        , picture_(picture)
    {
        setFlag(ItemUsesExtendedStyleOption);
        indices_.reserve(summary.count);
        const double half = summary.widest / 2;
        bounds_ = SceneRect(summary.extent).adjusted(-half, -half, half, half);
    }

    void Add(std::size_t index) { indices_.push_back(static_cast<std::uint32_t>(index)); }

    QRectF boundingRect() const override { return bounds_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override
    {
        const double perMm =
            std::hypot(painter->worldTransform().m11(), painter->worldTransform().m12());
        if (!(perMm > 0))
            return;
        const double onePixel = 1 / perMm;
        const QRectF exposed = option->exposedRect;
        QPen pen(colour_, 0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        double penWidth = -1;
        std::vector<QLineF> lines;
        std::vector<QPointF> points;
        auto flush = [&] {
            if (!lines.empty())
                painter->drawLines(lines.data(), static_cast<int>(lines.size()));
            if (!points.empty())
                painter->drawPoints(points.data(), static_cast<int>(points.size()));
            lines.clear();
            points.clear();
        };
        painter->setBrush(Qt::NoBrush);
        // Zoomed out, most shapes of a big drawing fall inside one pixel: each
        // pixel is painted once, as a dot, however many shapes share it.
        const QTransform& toDevice = painter->worldTransform();
        const bool plainScale = toDevice.type() <= QTransform::TxScale;
        const QRect device = toDevice.mapRect(exposed).toAlignedRect();
        std::vector<bool> dotted(plainScale ? static_cast<std::size_t>(device.width()) *
                                                  static_cast<std::size_t>(device.height())
                                            : 0);
        for (const std::uint32_t index : indices_) {
            const Shape& shape = picture_.shapes[index];
            // Scene y runs down; the box is the shape's, widened by its pen.
            double left, right, top, bottom;
            if (shape.kind == ShapeKind::Wire) {
                left = std::min(shape.start.x, shape.end.x);
                right = std::max(shape.start.x, shape.end.x);
                top = -std::max(shape.start.y, shape.end.y);
                bottom = -std::min(shape.start.y, shape.end.y);
            } else if (shape.kind == ShapeKind::Text || shape.kind == ShapeKind::Polygon) {
                const Box& box = shape.kind == ShapeKind::Text
                                     ? picture_.texts[shape.detail].box
                                     : picture_.polygons[shape.detail].box;
                left = box.min.x;
                right = box.max.x;
                top = -box.max.y;
                bottom = -box.min.y;
            } else {
                left = shape.centre.x - shape.radius;
                right = shape.centre.x + shape.radius;
                top = -shape.centre.y - shape.radius;
                bottom = -shape.centre.y + shape.radius;
            }
            const double reach = shape.width / 2 + onePixel;
            if (right + reach < exposed.left() || left - reach > exposed.right() ||
                bottom + reach < exposed.top() || top - reach > exposed.bottom())
                continue;
            // At least one pixel: a cosmetic pen of width 0 is Qt's fast line. A
            // text's strokes are its font's, and its cross stays thin.
            const double width =
                shape.width > onePixel && shape.kind != ShapeKind::Text ? shape.width : 0;
            if (width != penWidth) {
                flush();
                penWidth = width;
                pen.setWidthF(width);
                painter->setPen(pen);
            }
            const QPointF start = ScenePoint(shape.start);
            if (plainScale && width == 0 && (right - left) * perMm < 1 &&
                (bottom - top) * perMm < 1) {
                const QPointF middle((left + right) / 2, (top + bottom) / 2);
                const QPointF at = toDevice.map(middle);
                const int x = static_cast<int>(std::floor(at.x())) - device.left();
                const int y = static_cast<int>(std::floor(at.y())) - device.top();
                if (x >= 0 && y >= 0 && x < device.width() && y < device.height()) {
                    const std::size_t cell =
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(device.width()) +
                        static_cast<std::size_t>(x);
                    if (!dotted[cell]) {
                        dotted[cell] = true;
                        points.push_back(middle);
                    }
                    continue;
                }
            }
            const double pixels = shape.radius * perMm;
            switch (shape.kind) {
            case ShapeKind::Wire: lines.emplace_back(start, ScenePoint(shape.end)); break;
            case ShapeKind::Circle:
            case ShapeKind::Hole: {
                // Below a pixel across, a circle is a dot however it is drawn.
                if (pixels < 0.5) {
                    points.push_back(ScenePoint(shape.centre));
                    break;
                }
                flush();
                const QPointF c = ScenePoint(shape.centre);
                const double r = shape.radius;
                painter->drawEllipse(c, r, r);
                if (shape.kind == ShapeKind::Hole) {
                    lines.emplace_back(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
                    lines.emplace_back(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
                }
                break;
            }
            case ShapeKind::Arc:
            case ShapeKind::RadiusArc:
                // An arc of a radius under two pixels differs from its chord by
                // less than the pen; zoomed out, a million of them paint as lines.
                if (pixels < 2) {
                    lines.emplace_back(start, ScenePoint(shape.end));
                    break;
                }
                flush();
                painter->drawPath(ArcPath(shape));
                break;
            case ShapeKind::Text:
                flush();
                PaintText(painter, shape, perMm);
                // A small cross on the anchor, three pixels each way.
                lines.emplace_back(start - QPointF(3 * onePixel, 0),
                                   start + QPointF(3 * onePixel, 0));
                lines.emplace_back(start - QPointF(0, 3 * onePixel),
                                   start + QPointF(0, 3 * onePixel));
                break;
            case ShapeKind::Polygon:
                flush();
                PaintPolygon(painter, shape, perMm);
                break;
            }
        }
        flush();
    }

private:
    static QPainterPath ArcPath(const Shape& shape)
    {
        QPainterPath arc(ScenePoint(shape.start));
        AddArc(arc, shape);
        return arc;
    }

    static void AddArc(QPainterPath& path, const Shape& shape)
    {
        const QPointF c = ScenePoint(shape.centre);
        const double r = shape.radius;
        path.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                   AngleDegrees(shape.centre, shape.start), shape.sweep);
    }

    void PaintText(QPainter* painter, const Shape& shape, double perMm)
    {
        const TextShape& text = picture_.texts[shape.detail];
        // Under two pixels high no letter can be read; the cross says where it is.
        if (text.height * perMm < 2)
            return;
        const QFontMetricsF& metrics = fonts_.Metrics(text.font);
        const QString string =
            QString::fromUtf8(text.text.data(), static_cast<qsizetype>(text.text.size()));
        const TextPlacement shown = ShownPlacement(text);
        const double capital = metrics.capHeight() > 0 ? metrics.capHeight() : metrics.ascent();
        const double scale = text.height / capital;
        painter->save();
        painter->translate(ScenePoint(shape.start));
        painter->rotate(-shown.angle);
        painter->scale(text.mirror ? -scale : scale, scale);
        painter->setFont(fonts_.Font(text.font));
        painter->drawText(QPointF(-metrics.horizontalAdvance(string) * AlignFraction(shown.align),
                                  capital * BaselineFraction(shown.baseline)),
                          string);
        painter->restore();
    }

    void PaintPolygon(QPainter* painter, const Shape& shape, double perMm)
    {
        const PolygonShape& polygon = picture_.polygons[shape.detail];
        QPainterPath path;
        for (std::size_t i = 0; i < polygon.edgeCount; ++i) {
            const Shape& edge = picture_.polygonEdges[polygon.firstEdge + i];
            if (i == 0)
                path.moveTo(ScenePoint(edge.start));
            if (edge.kind == ShapeKind::Wire || edge.radius * perMm < 2)
                path.lineTo(ScenePoint(edge.end));
            else
                AddArc(path, edge);
        }
        path.closeSubpath();
        // Half transparent, so what lies under a filled area still shows.
        QColor fill = colour_;
        fill.setAlpha(128);
        painter->setBrush(fill);
        painter->drawPath(path);
        painter->setBrush(Qt::NoBrush);
    }

    QColor colour_;
    const ScriptPicture& picture_; // the window's, which outlives the item
    std::vector<std::uint32_t> indices_;
    QRectF bounds_;
    TextFonts fonts_;
};

} // namespace vektrano
