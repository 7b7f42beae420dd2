#include "preview_window.h"

#include "geometry/arc.h"
#include "preview/picture_colours.h"
#include "preview/script_reader.h"
#include "preview/script_text.h"
#include "run/run_log.h"
#include "shapes_item.h"

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
