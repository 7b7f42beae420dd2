#include "preview_window.h"

#include "geometry/arc.h"
#include "preview/picture_colours.h"
#include "preview/script_reader.h"
#include "preview/script_text.h"
#include "run/run_log.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStyleOptionGraphicsItem>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

namespace vektrano {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor Colour(std::string_view hex) { return QColor(FromUtf8(hex)); }

// Scene coordinates are the drawing's millimetres with y turned down, as Qt
// counts it, so the drawing stands upright without a mirrored view.
QPointF ScenePoint(Point p) { return {p.x, -p.y}; }

QRectF SceneRect(const Box& extent)
{
    return QRectF(QPointF(extent.min.x, -extent.max.y), QPointF(extent.max.x, -extent.min.y));
}

QString Millimetres(double value) { return QString::number(value, 'f', 3); }

QSettings Settings() { return QSettings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano")); }

const QString kGeometryKey = QStringLiteral("Vorschau/Geometrie");

QString LegendEntry(std::string_view colour, const QString& name)
{
    return QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2&nbsp;&nbsp; ")
        .arg(FromUtf8(colour), name);
}

// The kinds of one layer (the first four always, as every classic script has
// them), or the layers of several by their numbers and names; then the notes.
QString LegendText(const ScriptPicture& picture)
{
    QString legend;
    if (picture.ColourByLayer()) {
        for (const LayerSummary& layer : picture.layers)
            legend +=
                LegendEntry(LayerColour(layer.layer),
                            (QString::number(layer.layer) + QLatin1Char(' ') + FromUtf8(layer.name))
                                .trimmed()
                                .toHtmlEscaped());
    } else {
        constexpr const char* kNames[] = {"Linie", "Bogen", "Bogen @Radius", "Kreis",
                                          "Loch",  "Text",  "Fläche"};
        for (std::size_t kind = 0; kind < kShapeKinds; ++kind)
            if (kind < 4 || picture.kinds[kind].count > 0)
                legend += LegendEntry(ShapeColour(static_cast<ShapeKind>(kind)),
                                      QString::fromUtf8(kNames[kind]));
    }
    if (!picture.openEnds.empty())
        legend += QStringLiteral("<span style=\"color:%1\">&#9711;</span> %2 offene Enden "
                                 "(Layer 20/46)&nbsp;&nbsp; ")
                      .arg(FromUtf8(kOpenEndColour))
                      .arg(static_cast<qulonglong>(picture.openEndCount));
    if (picture.hasRadiusArcs)
        legend += QStringLiteral("<br>@Radius: gezeichnet ist der Bogen bis 180°, + gegen den "
                                 "Uhrzeigersinn (Eagles Hilfe sagt nicht, welchen der beiden "
                                 "Bögen Eagle nimmt)");
    return legend;
}

} // namespace

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

// The view: a millimetre grid behind the drawing, the origin over it, the wheel
// zooming about the cursor and a drag panning.
class PreviewView final : public QGraphicsView
{
public:
    PreviewView(QGraphicsScene* scene, QWidget* parent)
        : QGraphicsView(scene, parent)
    {
        setDragMode(ScrollHandDrag);
        setTransformationAnchor(AnchorUnderMouse);
        setViewportUpdateMode(FullViewportUpdate);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
        setBackgroundBrush(Qt::white);
    }

    std::function<void(QPointF)> onCursorMoved;
    const std::vector<OpenEnd>* openEnds = nullptr; // the window's picture's

    double PixelsPerMm() const { return std::hypot(transform().m11(), transform().m12()); }

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        const double factor = std::pow(1.0015, event->angleDelta().y());
        const double next = PixelsPerMm() * factor;
        // From a kilometre to a micrometre across the view; a drawing fitted
        // beyond either end may still zoom back towards it.
        if ((factor < 1 && next < 1e-4) || (factor > 1 && next > 1e6))
            return;
        scale(factor, factor);
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        QGraphicsView::mouseMoveEvent(event);
        if (onCursorMoved)
            onCursorMoved(mapToScene(event->position().toPoint()));
    }

    void drawBackground(QPainter* painter, const QRectF& rect) override
    {
        painter->fillRect(rect, Qt::white);
        const double perMm = PixelsPerMm();
        if (!(perMm > 0))
            return;
        // The finest of 1, 2, 5 times a power of ten millimetres that leaves
        // at least 12 pixels between lines; every fifth or tenth line darker.
        double step = std::pow(10.0, std::floor(std::log10(12 / perMm)));
        int major = 10;
        constexpr std::pair<double, int> kSteps[] = {{1, 10}, {2, 5}, {5, 2}, {10, 10}};
        for (const auto& [factor, every] : kSteps)
            if (step * factor * perMm >= 12) {
                step *= factor;
                major = every;
                break;
            }
        const QPen minor(QColor(232, 232, 232), 0);
        const QPen strong(QColor(200, 200, 200), 0);
        // Counted in whole lines: far from the origin, adding one step to a huge
        // coordinate may not change it, and the count still ends.
        auto lines = [&](double from, double to, auto draw) {
            const double k0 = std::ceil(from / step);
            const double count = std::floor((to - from) / step) + 1;
            if (!std::isfinite(k0) || !(count > 0 && count < 10000))
                return;
            for (int i = 0; i < static_cast<int>(count); ++i) {
                const double k = k0 + i;
                painter->setPen(std::fmod(k, major) == 0 ? strong : minor);
                draw(k * step);
            }
        };
        lines(rect.left(), rect.right(), [&](double x) {
            painter->drawLine(QPointF(x, rect.top()), QPointF(x, rect.bottom()));
        });
        lines(rect.top(), rect.bottom(), [&](double y) {
            painter->drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
        });
    }

    void drawForeground(QPainter* painter, const QRectF& rect) override
    {
        const double perMm = PixelsPerMm();
        if (!(perMm > 0))
            return;
        const double arm = 12 / perMm;
        painter->setPen(QPen(Qt::black, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawLine(QPointF(-arm, 0), QPointF(arm, 0));
        painter->drawLine(QPointF(0, -arm), QPointF(0, arm));
        painter->drawEllipse(QPointF(0, 0), arm / 3, arm / 3);
        if (!openEnds || openEnds->empty())
            return;
        // Rings of a fixed size on screen, so an open end shows at any zoom.
        const double ring = 7 / perMm;
        const QRectF near = rect.adjusted(-ring, -ring, ring, ring);
        QPen pen(Colour(kOpenEndColour), 2);
        pen.setCosmetic(true);
        painter->setPen(pen);
        for (const OpenEnd& end : *openEnds) {
            const QPointF at = ScenePoint(end.at);
            if (near.contains(at))
                painter->drawEllipse(at, ring, ring);
        }
    }
};

PreviewWindow::PreviewWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , scene_(new QGraphicsScene(this))
    , view_(new PreviewView(scene_, this))
    , legend_(new QLabel(this))
    , cursorLabel_(new QLabel(this))
    , extentLabel_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Vorschau"));
    setObjectName(QStringLiteral("Vorschau"));
    // The legend above the drawing, wrapped, so its note on radius arcs never
    // hides in the tool bar's overflow.
    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    legend_->setWordWrap(true);
    legend_->setContentsMargins(6, 2, 6, 2);
    column->addWidget(legend_);
    column->addWidget(view_, 1);
    setCentralWidget(centre);
    // The indexing a scene does for thousands of items is no use to a few.
    scene_->setItemIndexMethod(QGraphicsScene::NoIndex);

    auto* tools = addToolBar(QStringLiteral("Vorschau"));
    tools->setMovable(false);
    auto* fit = new QPushButton(QStringLiteral("Einpassen"), tools);
    fit->setObjectName(QStringLiteral("Btn_Einpassen"));
    fit->setToolTip(QStringLiteral("Zeichnung ins Fenster einpassen (F)"));
    tools->addWidget(fit);
    connect(fit, &QPushButton::clicked, this, &PreviewWindow::Fit);
    auto* key = new QShortcut(QKeySequence(Qt::Key_F), this);
    connect(key, &QShortcut::activated, this, &PreviewWindow::Fit);

    statusBar()->addWidget(cursorLabel_);
    statusBar()->addPermanentWidget(extentLabel_);
    view_->onCursorMoved = [this](QPointF p) { ShowCursorPosition(p); };

    if (!restoreGeometry(Settings().value(kGeometryKey).toByteArray()))
        resize(800, 600);
    ShowPicture({});
}

PreviewWindow::~PreviewWindow()
{
    if (isVisible())
        SaveGeometry();
}

void PreviewWindow::ShowScript(const QString& path)
{
    setWindowTitle(QStringLiteral("Vorschau – ") + QFileInfo(path).fileName());
    // A script of millions of lines takes seconds to read: the windows repaint
    // meanwhile, under the busy pointer, but take no input.
    struct BusyPointer
    {
        BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    } busy;
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const ScriptFileRead read = ReadScriptFile(path.toStdString(), [&sinceEvents] {
        if (sinceEvents.elapsed() < 20)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceEvents.restart();
    });
    if (!read.picture) {
        ShowPicture({});
        extentLabel_->setText(QStringLiteral("Skript Datei kann nicht gelesen werden: ") + path +
                              QStringLiteral(" (") + FromUtf8(SystemReason(read.error)) +
                              QStringLiteral(")"));
        return;
    }
    ShowPicture(*read.picture);
}

void PreviewWindow::ShowPicture(ScriptPicture picture)
{
    scene_->clear();
    items_.clear();
    picture_ = std::move(picture);
    view_->openEnds = &picture_.openEnds;
    // One item per kind, or per layer when the picture has several; painted in
    // the order of the kinds or of the layer numbers.
    const bool byLayer = picture_.ColourByLayer();
    std::array<ShapesItem*, 256> items{};
    if (byLayer) {
        for (const LayerSummary& layer : picture_.layers)
            items[static_cast<std::size_t>(layer.layer)] =
                new ShapesItem(Colour(LayerColour(layer.layer)), picture_, layer.shapes);
    } else {
        for (std::size_t kind = 0; kind < kShapeKinds; ++kind)
            if (picture_.kinds[kind].count > 0)
                items[kind] = new ShapesItem(Colour(ShapeColour(static_cast<ShapeKind>(kind))),
                                             picture_, picture_.kinds[kind]);
    }
    for (std::size_t i = 0; i < picture_.shapes.size(); ++i) {
        const Shape& shape = picture_.shapes[i];
        items[byLayer ? shape.layer : static_cast<std::size_t>(shape.kind)]->Add(i);
    }
    for (ShapesItem* item : items)
        if (item) {
            scene_->addItem(item);
            items_.push_back(item);
        }
    // The picture goes on for a good way around the drawing, so a drag can pan
    // beyond its edges; the drawing and the origin both lie inside.
    QRectF drawing =
        picture_.extent.Empty() ? QRectF(-10, -10, 20, 20) : SceneRect(picture_.extent);
    drawing = drawing.united(QRectF(-1, -1, 2, 2));
    double room = std::max({drawing.width(), drawing.height(), 10.0}) * 10;
    if (!std::isfinite(room) || !std::isfinite(drawing.width() + drawing.height() + 2 * room))
        room = 0; // a drawing across the whole range of a double has no room beyond

    scene_->setSceneRect(drawing.adjusted(-room, -room, room, room));
    legend_->setText(LegendText(picture_));

    QString extent = QStringLiteral("leer");
    if (!picture_.extent.Empty())
        extent = QStringLiteral("%1 … %2 × %3 … %4 mm")
                     .arg(Millimetres(picture_.extent.min.x), Millimetres(picture_.extent.max.x),
                          Millimetres(picture_.extent.min.y), Millimetres(picture_.extent.max.y));
    QString status = QStringLiteral("Ausdehnung: %1   %2 Elemente")
                         .arg(extent)
                         .arg(static_cast<qulonglong>(picture_.shapes.size()));
    if (!picture_.openEnds.empty())
        status += QStringLiteral(", %1 offene Enden auf Layer 20/46")
                      .arg(static_cast<qulonglong>(picture_.openEndCount));
    if (picture_.notShownCount > 0) {
        status += QStringLiteral(", %1 Zeilen nicht gezeigt")
                      .arg(static_cast<qulonglong>(picture_.notShownCount));
        QString list;
        for (std::size_t i = 0; i < std::min<std::size_t>(picture_.notShown.size(), 20); ++i)
            list += QStringLiteral("Zeile %1: %2\n")
                        .arg(static_cast<qulonglong>(picture_.notShown[i].line))
                        .arg(QString::fromLatin1(picture_.notShown[i].text.c_str()));
        extentLabel_->setToolTip(list.trimmed());
    } else
        extentLabel_->setToolTip({});
    extentLabel_->setText(status);
    fitPending_ = true;
    if (isVisible())
        Fit();
}

void PreviewWindow::Fit()
{
    fitPending_ = false;
    QRectF drawing =
        picture_.extent.Empty() ? QRectF(-10, -10, 20, 20) : SceneRect(picture_.extent);
    // A single straight wire has no height; give it some so the fit can scale.
    const double size = std::max({drawing.width(), drawing.height(), 1e-3});
    drawing.adjust(-size / 20, -size / 20, size / 20, size / 20);
    view_->fitInView(drawing, Qt::KeepAspectRatio);
}

QString PreviewWindow::StatusText() const { return extentLabel_->text(); }

void PreviewWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (fitPending_)
        Fit();
}

void PreviewWindow::hideEvent(QHideEvent* event)
{
    SaveGeometry();
    QMainWindow::hideEvent(event);
}

void PreviewWindow::ShowCursorPosition(QPointF scenePoint)
{
    cursorLabel_->setText(QStringLiteral("x %1 mm   y %2 mm")
                              .arg(Millimetres(scenePoint.x()), Millimetres(-scenePoint.y())));
}

void PreviewWindow::SaveGeometry() { Settings().setValue(kGeometryKey, saveGeometry()); }

} // namespace vektrano
