#include "preview_window.h"

#include "geometry/arc.h"
#include "preview/script_reader.h"
#include "preview/svg_writer.h"
#include "run/run_log.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
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
#include <cmath>
#include <cstdint>
#include <functional>

namespace vektrano {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ColourOf(ShapeKind kind) { return QColor(FromUtf8(ShapeColour(kind))); }

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

} // namespace

// All shapes of one kind, painted in one pass that skips what lies outside the
// exposed part of the view: a million script lines stay a handful of items.
class ShapesItem final : public QGraphicsItem
{
public:
    ShapesItem(ShapeKind kind, const std::vector<Shape>& shapes, const KindSummary& summary)
        : colour_(ColourOf(kind))
        , shapes_(shapes)
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
            const Shape& shape = shapes_[index];
            // Scene y runs down; the box is the shape's, widened by its pen.
            double left, right, top, bottom;
            if (shape.kind == ShapeKind::Wire) {
                left = std::min(shape.start.x, shape.end.x);
                right = std::max(shape.start.x, shape.end.x);
                top = -std::max(shape.start.y, shape.end.y);
                bottom = -std::min(shape.start.y, shape.end.y);
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
            // At least one pixel: a cosmetic pen of width 0 is Qt's fast line.
            const double width = shape.width > onePixel ? shape.width : 0;
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
                // Below a pixel across, a circle is a dot however it is drawn.
                if (pixels < 0.5) {
                    points.push_back(ScenePoint(shape.centre));
                    break;
                }
                flush();
                painter->drawEllipse(ScenePoint(shape.centre), shape.radius, shape.radius);
                break;
            case ShapeKind::Arc:
            case ShapeKind::RadiusArc: {
                // An arc of a radius under two pixels differs from its chord by
                // less than the pen; zoomed out, a million of them paint as lines.
                if (pixels < 2) {
                    lines.emplace_back(start, ScenePoint(shape.end));
                    break;
                }
                flush();
                const QPointF c = ScenePoint(shape.centre);
                const double r = shape.radius;
                QPainterPath arc(start);
                arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r),
                          AngleDegrees(shape.centre, shape.start), shape.sweep);
                painter->drawPath(arc);
                break;
            }
            }
        }
        flush();
    }

private:
    QColor colour_;
    const std::vector<Shape>& shapes_; // the window's picture, which outlives the item
    std::vector<std::uint32_t> indices_;
    QRectF bounds_;
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

    void drawForeground(QPainter* painter, const QRectF&) override
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
    items_.fill(nullptr);
    picture_ = std::move(picture);
    for (std::size_t kind = 0; kind < kShapeKinds; ++kind)
        if (picture_.kinds[kind].count > 0)
            items_[kind] =
                new ShapesItem(static_cast<ShapeKind>(kind), picture_.shapes, picture_.kinds[kind]);
    for (std::size_t i = 0; i < picture_.shapes.size(); ++i)
        items_[static_cast<std::size_t>(picture_.shapes[i].kind)]->Add(i);
    for (ShapesItem* item : items_)
        if (item)
            scene_->addItem(item);
    // The picture goes on for a good way around the drawing, so a drag can pan
    // beyond its edges; the drawing and the origin both lie inside.
    QRectF drawing =
        picture_.extent.Empty() ? QRectF(-10, -10, 20, 20) : SceneRect(picture_.extent);
    drawing = drawing.united(QRectF(-1, -1, 2, 2));
    double room = std::max({drawing.width(), drawing.height(), 10.0}) * 10;
    if (!std::isfinite(room) || !std::isfinite(drawing.width() + drawing.height() + 2 * room))
        room = 0; // a drawing across the whole range of a double has no room beyond

    scene_->setSceneRect(drawing.adjusted(-room, -room, room, room));

    QString legend;
    constexpr const char* kNames[] = {"Linie", "Bogen", "Bogen @Radius", "Kreis"};
    for (std::size_t kind = 0; kind < kShapeKinds; ++kind)
        legend += QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2&nbsp;&nbsp; ")
                      .arg(ColourOf(static_cast<ShapeKind>(kind)).name(),
                           QString::fromUtf8(kNames[kind]));
    if (picture_.hasRadiusArcs)
        legend += QStringLiteral("<br>@Radius: gezeichnet ist der Bogen bis 180°, + gegen den "
                                 "Uhrzeigersinn (Eagles Hilfe sagt nicht, welchen der beiden "
                                 "Bögen Eagle nimmt)");
    legend_->setText(legend);

    QString extent = QStringLiteral("leer");
    if (!picture_.extent.Empty())
        extent = QStringLiteral("%1 … %2 × %3 … %4 mm")
                     .arg(Millimetres(picture_.extent.min.x), Millimetres(picture_.extent.max.x),
                          Millimetres(picture_.extent.min.y), Millimetres(picture_.extent.max.y));
    QString status = QStringLiteral("Ausdehnung: %1   %2 Elemente")
                         .arg(extent)
                         .arg(static_cast<qulonglong>(picture_.shapes.size()));
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
