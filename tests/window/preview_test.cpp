#include "preview/script_reader.h"
#include "window/preview_window.h"
#include "window_fixture.h"

#include <QAction>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QSettings>
#include <QTest>

namespace vektrano::test {
namespace {

class PreviewTest : public WindowTest
{
protected:
    QAction* Entry() const { return window->findChild<QAction*>(QStringLiteral("Menue_Vorschau")); }
};

TEST_F(PreviewTest, ShowsTheWrittenScriptFittedAndRedrawsAfterEachStart)
{
    ASSERT_NE(Entry(), nullptr);
    EXPECT_FALSE(Entry()->isEnabled());

    RunInputs in;
    in.dxf = Path("plan.dxf");
    in.scr = Path("plan.scr");
    in.width = "0.5";
    WriteBytes(in.dxf, SmallDrawing());
    Apply(in);
    ClickStart();
    ASSERT_TRUE(Entry()->isEnabled());
    Entry()->trigger();
    PreviewWindow* preview = window->Preview();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));

    // The file, read on its own, against what the window shows.
    const auto read = ReadScriptFile(in.scr);
    ASSERT_TRUE(read.picture.has_value());
    const vektrano::Box extent = read.picture->extent; // the fixture has a Box() of its own
    ASSERT_FALSE(extent.Empty());
    EXPECT_EQ(preview->Picture().shapes.size(), read.picture->shapes.size());
    const QRectF box = preview->Scene()->itemsBoundingRect();
    // The wires' half width of 0.25 mm lies around the centre lines, y turned down.
    EXPECT_NEAR(box.left(), extent.min.x - 0.25, 1e-9);
    EXPECT_NEAR(box.right(), extent.max.x + 0.25, 1e-9);
    EXPECT_NEAR(box.top(), -extent.max.y - 0.25, 1e-9);
    EXPECT_NEAR(box.bottom(), -extent.min.y + 0.25, 1e-9);
    auto* view = preview->findChild<QGraphicsView*>();
    ASSERT_NE(view, nullptr);
    auto visible = [view] { return view->mapToScene(view->viewport()->rect()).boundingRect(); };
    EXPECT_TRUE(visible().contains(box.adjusted(0.25, 0.25, -0.25, -0.25)));

    // Zoomed far in, F fits again.
    view->scale(50, 50);
    EXPECT_FALSE(visible().contains(box));
    QTest::keyClick(preview, Qt::Key_F);
    EXPECT_TRUE(visible().contains(box.adjusted(0.25, 0.25, -0.25, -0.25)));

    // A second START with one more line redraws the open window.
    WriteBytes(in.dxf, SmallDrawing(1));
    ClickStart();
    EXPECT_EQ(preview->Picture().shapes.size(), read.picture->shapes.size() + 1);

    // Closing keeps the place, in the test's own settings folder.
    preview->close();
    EXPECT_FALSE(QSettings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano"))
                     .value(QStringLiteral("Vorschau/Geometrie"))
                     .toByteArray()
                     .isEmpty());
}

// Coordinates a hostile script can hold must neither hang the grid nor crash
// the paint, fitted or zoomed in far from the origin.
TEST_F(PreviewTest, PaintsCoordinatesAtTheEndsOfADouble)
{
    PreviewWindow preview;
    preview.ShowPicture(ReadScriptText("Wire 0 (-1e308 -1e308) (1e308 1e308)\n"
                                       "Circle 0 (1e20 1e20) (1e20 1.0000001e20)\n"
                                       "Wire 5 (1e20 1e20) -90 (1.00000001e20 1e20)\n"));
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    EXPECT_FALSE(preview.grab().isNull());
    auto* view = preview.findChild<QGraphicsView*>();
    view->centerOn(1e20, -1e20);
    view->scale(1e290, 1e290);
    EXPECT_FALSE(preview.grab().isNull());
}

// Several layers: one item per layer, the legend by Eagle's names, the gap in
// the outline counted; texts, polygons and holes paint at any zoom.
TEST_F(PreviewTest, ColoursByLayerWhenTheScriptHasSeveral)
{
    PreviewWindow preview;
    const auto legend = [&preview] {
        QString all;
        for (const QLabel* label : preview.findChildren<QLabel*>())
            all += label->text();
        return all;
    };
    preview.ShowPicture(ReadScriptText("Layer 20;\nWire 0 (0 0) (50 0) (50 30) (0 30) (0 1);\n"
                                       "Layer 21;\nChange Size 3;\nText 'Hallo' SR45 (10 10);\n"
                                       "Polygon 0 (30 5) (40 5) +90 (35 12);\nHole 3 (5 5);\n"));
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    EXPECT_EQ(preview.Scene()->items().size(), 3);
    EXPECT_TRUE(legend().contains(QStringLiteral("20 Dimension")));
    EXPECT_TRUE(legend().contains(QStringLiteral("45 Holes")));
    EXPECT_FALSE(legend().contains(QStringLiteral("Linie")));
    EXPECT_TRUE(preview.StatusText().contains(QStringLiteral("2 offene Enden")));
    auto* view = preview.findChild<QGraphicsView*>();
    for (const double zoom : {1.0, 1e-3, 1e4}) {
        view->scale(zoom, zoom);
        EXPECT_FALSE(preview.grab().isNull());
    }

    preview.ShowPicture(ReadScriptText("Layer 20;\nWire 0 (0 0) (50 0) (50 30) (0 0);\n"));
    EXPECT_TRUE(legend().contains(QStringLiteral("Linie")));
    EXPECT_FALSE(legend().contains(QStringLiteral("Dimension")));
    EXPECT_FALSE(preview.StatusText().contains(QStringLiteral("offene")));
}

} // namespace
} // namespace vektrano::test
