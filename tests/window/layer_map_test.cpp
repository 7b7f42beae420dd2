#include "board/layer_map.h"
#include "board/layer_suggestion.h"
#include "window/layer_map_dialog.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <variant>

namespace vektrano::test {
namespace {

LayerContent Layer(const char* name, DxfKind kind, long long count)
{
    LayerContent layer;
    layer.name = name;
    layer.inTable = true;
    layer.entities[static_cast<std::size_t>(kind)] = count;
    return layer;
}

// Names a board drawing brings: an outline, holes, silkscreen, a title block, a
// blank in the name that must be quoted, and one the suggestions know nothing of.
LayerListing BoardListing()
{
    return {{Layer("OUTLINE", DxfKind::Line, 4), Layer("Bohrungen", DxfKind::Circle, 6),
             Layer("Silk Top", DxfKind::LwPolyline, 2), Layer("TITLE", DxfKind::Line, 9),
             Layer("Sonstiges", DxfKind::Arc, 1)}};
}

LayerMap Parsed(const std::string& text)
{
    auto parsed = ParseLayerMap(text, "test");
    if (auto* error = std::get_if<std::string>(&parsed)) {
        ADD_FAILURE() << *error;
        return {};
    }
    return std::get<LayerMap>(parsed);
}

class LayerMapDialogTest : public WindowTest
{
protected:
    std::unique_ptr<LayerMapDialog> Open(const LayerListing& listing,
                                         const LayerMapSetting& current = {})
    {
        return std::make_unique<LayerMapDialog>(
            listing, current, QString::fromStdString(Path("board.dxf")), files,
            [this](const QString& text, const QString& title, Icon icon) {
                messages.push_back({text, title, icon});
            });
    }
    static QComboBox* Box(LayerMapDialog& dialog, int row, int column)
    {
        return static_cast<QComboBox*>(dialog.Table()->cellWidget(row, column));
    }
    static QLineEdit* Entry(LayerMapDialog& dialog, int row, int column)
    {
        return static_cast<QLineEdit*>(dialog.Table()->cellWidget(row, column));
    }
    static void Click(LayerMapDialog& dialog, const char* button)
    {
        dialog.findChild<QPushButton*>(QString::fromUtf8(button))->click();
    }

    FakeFileDialog files;
};

TEST_F(LayerMapDialogTest, ListsTheLayersAndStartsWithTheSuggestions)
{
    const LayerListing listing = BoardListing();
    auto dialog = Open(listing);
    ASSERT_EQ(dialog->Table()->rowCount(), static_cast<int>(listing.layers.size()));
    // Rows changed by hand first, so Vorschlag has something to undo.
    for (int row = 0; row < dialog->Table()->rowCount(); ++row) {
        Box(*dialog, row, LayerMapDialog::kEagleColumn)->setEditText(QStringLiteral("7"));
        Box(*dialog, row, LayerMapDialog::kKindColumn)->setCurrentIndex(1);
        Entry(*dialog, row, LayerMapDialog::kWidthColumn)->setText(QStringLiteral("0.3"));
    }
    Click(*dialog, "Btn_Vorschlag");
    const std::optional<std::string> text = dialog->MapText();
    ASSERT_TRUE(text);
    const LayerMap map = Parsed(*text);
    ASSERT_EQ(map.rules.size(), listing.layers.size());
    for (std::size_t i = 0; i < listing.layers.size(); ++i) {
        const LayerContent& layer = listing.layers[i];
        SCOPED_TRACE(layer.name);
        const int row = static_cast<int>(i);
        EXPECT_EQ(dialog->Table()->item(row, LayerMapDialog::kLayerColumn)->text().toStdString(),
                  layer.name);
        EXPECT_EQ(dialog->Table()->item(row, LayerMapDialog::kContentColumn)->text().toStdString(),
                  LayerContentSummary(layer));
        const LayerSuggestion suggested = SuggestLayer(layer.name);
        EXPECT_EQ(map.rules[i].pattern, layer.name);
        EXPECT_EQ(map.rules[i].eagleLayer, suggested.eagleLayer);
        EXPECT_EQ(map.rules[i].kind, suggested.kind);
        EXPECT_EQ(map.rules[i].width, "");
        // The file names what each layer holds, as --list-layers does.
        EXPECT_NE(text->find(LayerRuleText(map.rules[i]) + "  # " + LayerContentSummary(layer)),
                  std::string::npos);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(LayerMapDialogTest, SavedMapLoadsBackToTheSameText)
{
    auto dialog = Open(BoardListing());
    // A number of its own, a drill range typed with a comma, a width, one row
    // left to the layer field and one not drawn.
    Box(*dialog, 0, LayerMapDialog::kEagleColumn)->setEditText(QStringLiteral("101"));
    Box(*dialog, 1, LayerMapDialog::kEagleColumn)->setCurrentIndex(4); // 20 Dimension
    Box(*dialog, 1, LayerMapDialog::kKindColumn)->setCurrentIndex(2);  // bohrung
    Entry(*dialog, 1, LayerMapDialog::kDrillColumn)->setText(QStringLiteral("0,5-8"));
    Entry(*dialog, 2, LayerMapDialog::kWidthColumn)->setText(QStringLiteral("0,15"));
    Box(*dialog, 3, LayerMapDialog::kEagleColumn)->setCurrentIndex(0); // Feld Eagle Layer
    Box(*dialog, 4, LayerMapDialog::kEagleColumn)->setCurrentIndex(1); // nicht übernehmen
    const std::optional<std::string> text = dialog->MapText();
    ASSERT_TRUE(text);
    const LayerMap map = Parsed(*text);
    ASSERT_EQ(map.rules.size(), 4U) << *text;
    EXPECT_EQ(map.rules[0].eagleLayer, 101);
    EXPECT_EQ(map.rules[1].drills, (DrillRange{0.5, 8}));
    EXPECT_EQ(map.rules[2].width, "0,15");
    EXPECT_EQ(map.rules[3].pattern, "Sonstiges");
    EXPECT_FALSE(map.rules[3].eagleLayer);

    const QString saved = QString::fromStdString(Path("board.map"));
    files.answers = {saved};
    Click(*dialog, "Btn_Speichern");
    EXPECT_EQ(ReadBytes(saved.toStdString()), *text);
    EXPECT_EQ(files.uses.back().startPath, saved);

    auto again = Open(BoardListing());
    files.answers = {saved};
    Click(*again, "Btn_Laden");
    EXPECT_EQ(again->MapText(), text);
    Click(*again, "Btn_OK");
    // Unchanged since loading: the file's own bytes, named by the file.
    EXPECT_EQ(again->Chosen().text, *text);
    EXPECT_EQ(again->Chosen().origin, saved.toStdString());
    EXPECT_TRUE(again->Chosen().inUse);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LayerMapDialogTest, LoadingKeepsRulesThatDecideNoListedLayer)
{
    const std::string file = Path("hand.map");
    const std::string bytes = "# by hand\r\n"
                              "OUT*      20 kontur 0\r\n"
                              "*hole*    20 bohrung:1-3\r\n"
                              "OUTLINE   21\r\n" // behind OUT*: decides nothing here
                              "*         48\r\n";
    WriteBytes(file, bytes);
    auto dialog = Open({{Layer("OUTLINE", DxfKind::Line, 4), Layer("Other", DxfKind::Arc, 1)}});
    files.answers = {QString::fromStdString(file)};
    Click(*dialog, "Btn_Laden");
    ASSERT_EQ(dialog->Table()->rowCount(), 4);
    EXPECT_EQ(Box(*dialog, 0, LayerMapDialog::kEagleColumn)->currentText(),
              QStringLiteral("20 Dimension"));
    EXPECT_EQ(Box(*dialog, 0, LayerMapDialog::kKindColumn)->currentText(),
              QStringLiteral("kontur"));
    EXPECT_EQ(Box(*dialog, 1, LayerMapDialog::kEagleColumn)->currentText(),
              QStringLiteral("48 Document"));
    EXPECT_EQ(dialog->Table()->item(2, LayerMapDialog::kLayerColumn)->text(),
              QStringLiteral("*hole*"));
    EXPECT_EQ(Entry(*dialog, 2, LayerMapDialog::kDrillColumn)->text(), QStringLiteral("1-3"));
    EXPECT_EQ(dialog->Table()->item(3, LayerMapDialog::kLayerColumn)->text(),
              QStringLiteral("OUTLINE"));

    // An edit makes it the window's map, the kept rules written after the layers'.
    Entry(*dialog, 1, LayerMapDialog::kWidthColumn)->setText(QStringLiteral("0.2"));
    Click(*dialog, "Btn_OK");
    EXPECT_EQ(dialog->Chosen().origin, kWindowMapOrigin);
    const LayerMap map = Parsed(dialog->Chosen().text);
    ASSERT_EQ(map.rules.size(), 4U);
    const char* patterns[] = {"OUTLINE", "Other", "*hole*", "OUTLINE"};
    for (std::size_t i = 0; i < map.rules.size(); ++i)
        EXPECT_EQ(map.rules[i].pattern, patterns[i]);
    EXPECT_EQ(map.rules[0].kind, LayerKind::Contour);
    EXPECT_EQ(map.rules[0].width, "0");
    EXPECT_EQ(map.rules[1].width, "0.2");
    EXPECT_EQ(map.rules[3].eagleLayer, 21);
}

TEST_F(LayerMapDialogTest, BadMapOrRowSaysWhereAndChangesNothing)
{
    auto dialog = Open(BoardListing());
    const std::optional<std::string> before = dialog->MapText();
    const std::string file = Path("bad.map");
    WriteBytes(file, "OUTLINE 20\n# fine so far\nSILK* 21 linen\n");
    files.answers = {QString::fromStdString(file)};
    Click(*dialog, "Btn_Laden");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_TRUE(messages[0].text.contains(QString::fromStdString(file)));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("Zeile 3")));
    EXPECT_EQ(messages[0].icon, Icon::Critical);
    EXPECT_EQ(dialog->MapText(), before);

    // A row that is no rule keeps the dialog open and names the layer.
    const char* wrong[][2] = {{"256", ""}, {"20 Dimension", "0.1.2"}, {"abc", ""}};
    for (const auto& [layer, width] : wrong) {
        SCOPED_TRACE(layer);
        messages.clear();
        dialog->show();
        Box(*dialog, 4, LayerMapDialog::kEagleColumn)->setEditText(QString::fromUtf8(layer));
        Entry(*dialog, 4, LayerMapDialog::kWidthColumn)->setText(QString::fromUtf8(width));
        Click(*dialog, "Btn_OK");
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("Sonstiges")));
        EXPECT_TRUE(dialog->isVisible());
    }
}

// START reads the map remembered by an earlier start of the program.
TEST_F(LayerMapDialogTest, StartHandsTheRememberedMapToTheRun)
{
    struct Case
    {
        const char* name;
        LayerMapSetting setting;
        bool runs;
    };
    const std::string text = "OUTLINE 20 kontur 0\n* aus\n";
    const Case cases[] = {
        {"in use", {true, text, "/maps/board.map"}, true},
        {"switched off", {false, text, "/maps/board.map"}, true},
        {"bad", {true, "OUTLINE 300\n", std::string(kWindowMapOrigin)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLayerMapSetting(c.setting);
        window = std::make_unique<MainWindow>(state);
        window->SetMessageBox([this](const QString& shown, const QString& title, Icon icon) {
            messages.push_back({shown, title, icon});
        });
        messages.clear();
        std::optional<ConversionOptions> handed;
        window->SetRunner([&handed](WindowOperations&, Variablen&, const ConversionOptions& o) {
            handed = o;
            return RunOutcome::Completed;
        });
        EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("Menue_Layer_Zuordnung"))->isChecked(),
                  c.setting.inUse);
        ClickStart();
        ASSERT_EQ(handed.has_value(), c.runs);
        if (!c.runs) {
            ASSERT_EQ(messages.size(), 1U);
            EXPECT_TRUE(messages[0].text.contains(QStringLiteral("Zeile 1")));
            continue;
        }
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(handed->layerMap.has_value(), c.setting.inUse);
        EXPECT_EQ(handed->fullGeometry, c.setting.inUse);
        if (c.setting.inUse) {
            EXPECT_EQ(WriteLayerMap(*handed->layerMap), WriteLayerMap(Parsed(text)));
            EXPECT_EQ(handed->layerMapOrigin, c.setting.origin);
            EXPECT_EQ(handed->layerMap->rules[0].origin, c.setting.origin);
        }
    }
}

// The menu entry on a drawing on disk: read, busy pointer back, OK remembered.
TEST_F(LayerMapDialogTest, MenuEntryOpensTheDialogOnTheDrawing)
{
    const std::string drawing = Path("plan.dxf");
    WriteBytes(drawing, SmallDrawing());
    for (const bool readable : {true, false}) {
        SCOPED_TRACE(readable);
        messages.clear();
        Edit("Txt_DXF")->setText(QString::fromStdString(readable ? drawing : Path("gone.dxf")));
        int rows = -1;
        QString content;
        // The reading repaints, so the timer may fire before the dialog is up.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = dynamic_cast<LayerMapDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            rows = dialog->Table()->rowCount();
            if (rows > 0)
                content = dialog->Table()->item(0, LayerMapDialog::kContentColumn)->text();
            Click(*dialog, "Btn_OK");
        });
        poll.start(10);
        window->findChild<QAction*>(QStringLiteral("Menue_Layer_Zuordnung"))->trigger();
        // Unread, the dialog still opens: the map from the first round is its row.
        EXPECT_EQ(rows, 1);
        EXPECT_EQ(messages.size(), readable ? 0U : 1U);
        if (readable) {
            EXPECT_TRUE(content.startsWith(QStringLiteral("2 LINE, 1 CIRCLE")))
                << content.toStdString();
        }
        EXPECT_TRUE(
            window->findChild<QAction*>(QStringLiteral("Menue_Layer_Zuordnung"))->isChecked());
        EXPECT_TRUE(ReadLayerMapSetting().inUse);
    }
}

} // namespace
} // namespace vektrano::test
