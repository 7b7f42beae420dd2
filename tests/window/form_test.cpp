#include "run/version.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace vektrano::test {
namespace {

struct Placement
{
    const char* name;
    int left, top, width, height; // twips, as the form design gives them
};

// The form design's layout table; 15 twips make one pixel.
constexpr Placement kLayout[] = {
    {"Label3", 120, 120, 780, 195},
    {"Txt_DXF", 960, 120, 8775, 285},
    {"Btn_DXF", 9840, 120, 495, 285},
    {"Label4", 105, 480, 795, 195},
    {"Txt_SCR", 960, 480, 8775, 285},
    {"Btn_SCR", 9840, 480, 495, 285},
    {"Label1", 960, 840, 1455, 255},
    {"Label2", 2640, 840, 1455, 255},
    {"Label7", 4320, 840, 2175, 195},
    {"Txt_Layer", 7920, 930, 975, 285},
    {"Label5", 6840, 960, 975, 255},
    {"Txt_Offset_X", 960, 1050, 1455, 285},
    {"Txt_Offset_Y", 2640, 1050, 1455, 285},
    {"Chk_Line", 4320, 1080, 855, 255},
    {"Chk_Arc", 4320, 1320, 855, 255},
    {"Label6", 6840, 1320, 975, 255},
    {"Txt_Linienstärke", 7920, 1320, 975, 285},
    {"Chk_Auto_Offset", 960, 1440, 3135, 255},
    {"Chk_Circle", 4320, 1560, 1095, 255},
    {"Option1", 7920, 1680, 855, 255},
    {"Option2", 9000, 1680, 855, 255},
    {"Chk_Polyline", 4320, 1800, 1335, 255},
    {"Btn_Start", 0, 2160, 10335, 375},
    {"Text1", 0, 2640, 10335, 5055},
    {"ProgressBar1", 0, 7800, 10335, 375},
};

using FormTest = WindowTest;

TEST_F(FormTest, PlacesEveryControlAtItsTwipsPosition)
{
    for (const Placement& p : kLayout) {
        SCOPED_TRACE(p.name);
        QWidget* control = Control<QWidget>(p.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15));
        EXPECT_EQ(control->parentWidget(), window->centralWidget()) << "in no frame or group";
    }
}

TEST_F(FormTest, HasAFixedClientAreaOf693By547BelowTheMenuBar)
{
    EXPECT_EQ(window->centralWidget()->size(), QSize(693, 547));
    EXPECT_EQ(window->centralWidget()->y(), window->menuBar()->height());
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the window can be resized";
    EXPECT_EQ(window->height(), window->menuBar()->height() + 547);
}

struct Caption
{
    const char* name;
    const char* text;
};

constexpr Caption kCaptions[] = {
    {"Label3", "DXF Datei:"},
    {"Label4", "SCR Datei:"},
    {"Label1", "Offset X"},
    {"Label2", "Offset Y"},
    {"Label7", "Objekte die konvertiert werden"},
    {"Label5", "Eagle Layer:"},
    {"Label6", "Linenstärke:"},
};

TEST_F(FormTest, ShowsTheCaptionsOfTheDesign)
{
    for (const Caption& c : kCaptions) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Control<QLabel>(c.name)->text(), QString::fromUtf8(c.text));
    }
    const Caption buttons[] = {
        {"Btn_DXF", "..."},       {"Btn_SCR", "..."},
        {"Btn_Start", "START"},   {"Chk_Auto_Offset", "Offset automatisch bestimmen"},
        {"Chk_Line", "LINE"},     {"Chk_Arc", "ARC"},
        {"Chk_Circle", "CIRCLE"}, {"Chk_Polyline", "POLYLINE"},
        {"Option1", "mm"},        {"Option2", "Inch"}};
    for (const Caption& c : buttons) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Control<QAbstractButton>(c.name)->text(), QString::fromUtf8(c.text));
    }
}

TEST_F(FormTest, LogContextMenuSpeaksGerman)
{
    const std::unique_ptr<QMenu> menu(
        Control<QPlainTextEdit>("Text1")->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->text().section(u'\t', 0, 0)); // the shortcut follows a TAB
    EXPECT_TRUE(texts.contains(QStringLiteral("Alles auswählen")))
        << texts.join(u' ').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Einf&ügen"))) << texts.join(u' ').toStdString();
}

TEST_F(FormTest, CaptionsFitTheirControls)
{
    // The design font is narrower than the platform's sans-serif; a caption that
    // no longer fits would be cut off.
    for (const Caption& c : kCaptions) {
        SCOPED_TRACE(c.name);
        QLabel* label = Control<QLabel>(c.name);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        EXPECT_LE(label->fontMetrics().height(), label->height());
    }
}

TEST_F(FormTest, StartsWithTheDesignDefaults)
{
    const QString title = QStringLiteral("Vektrano Converter - Version %1.%2.%3")
                              .arg(kVersionMajor)
                              .arg(kVersionRevision)
                              .arg(kVersionMinor);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_TRUE(window->LogText().empty());
    EXPECT_TRUE(Control<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
    EXPECT_EQ(Control<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_EQ(Control<QProgressBar>("ProgressBar1")->minimum(), 0);
    EXPECT_EQ(Control<QProgressBar>("ProgressBar1")->maximum(), 100);
    for (const char* name : {"Chk_Line", "Chk_Arc", "Chk_Circle", "Chk_Polyline"})
        EXPECT_TRUE(Box(name)->isChecked()) << name;
    EXPECT_FALSE(Box("Chk_Auto_Offset")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("Option2")->isEnabled());
    EXPECT_EQ(Text("Txt_Layer"), QStringLiteral("20"));
    EXPECT_EQ(Text("Txt_Linienstärke"), QStringLiteral("0.01"));
    for (const char* name : {"Txt_DXF", "Txt_SCR", "Txt_Offset_X", "Txt_Offset_Y"})
        EXPECT_TRUE(Text(name).isEmpty()) << name;
}

TEST_F(FormTest, StartIsBoldAndTheEntityHeadingUnderlined)
{
    EXPECT_TRUE(Control<QPushButton>("Btn_Start")->font().bold());
    EXPECT_TRUE(Control<QLabel>("Label7")->font().underline());
    EXPECT_FALSE(Control<QLabel>("Label3")->font().bold());
    EXPECT_FALSE(Control<QLabel>("Label3")->font().underline());
    // Bold and underline change the style only, not the face or its size.
    EXPECT_EQ(Control<QPushButton>("Btn_Start")->font().family(), window->font().family());
    EXPECT_EQ(Control<QLabel>("Label7")->font().pointSizeF(), window->font().pointSizeF());
}

TEST_F(FormTest, InchCannotBeSelected)
{
    QTest::mouseClick(Control<QRadioButton>("Option2"), Qt::LeftButton);
    EXPECT_FALSE(Control<QRadioButton>("Option2")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("Option1")->isChecked());
}

TEST_F(FormTest, MenuBarHasVersionOptionenWithFullGeometryOffAndVorschau)
{
    const QList<QAction*> entries = window->menuBar()->actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0]->objectName(), QStringLiteral("Menue_Version"));
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Version"));
    EXPECT_EQ(entries[0]->menu(), nullptr);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("Optionen"));
    ASSERT_NE(entries[1]->menu(), nullptr);
    const QList<QAction*> options = entries[1]->menu()->actions();
    ASSERT_EQ(options.size(), 2);
    EXPECT_EQ(options[0]->text(), QStringLiteral("Vollständige Geometrie"));
    EXPECT_EQ(options[1]->text(), QStringLiteral("Layer-Zuordnung…"));
    for (const QAction* option : options) {
        SCOPED_TRACE(option->text().toStdString());
        EXPECT_TRUE(option->isCheckable());
        EXPECT_FALSE(option->isChecked()); // a first start
    }
    EXPECT_EQ(entries[2]->objectName(), QStringLiteral("Menue_Vorschau"));
    EXPECT_EQ(entries[2]->text(), QStringLiteral("Vorschau"));
    EXPECT_EQ(entries[2]->menu(), nullptr);
}

TEST_F(FormTest, FullGeometryEntryIsRememberedForTheNextStart)
{
    for (bool checked : {true, false}) {
        SCOPED_TRACE(checked);
        window->findChild<QAction*>(QStringLiteral("Menue_Vollständige_Geometrie"))->trigger();
        window.reset();
        window = std::make_unique<MainWindow>(state);
        EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("Menue_Vollständige_Geometrie"))
                      ->isChecked(),
                  checked);
    }
}

TEST_F(FormTest, VersionEntryShowsTheVersionMessage)
{
    window->menuBar()->actions().front()->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Version %1.%2.%3")
                                    .arg(kVersionMajor)
                                    .arg(kVersionRevision)
                                    .arg(kVersionMinor));
    EXPECT_EQ(messages[0].title, QStringLiteral("Info"));
    EXPECT_EQ(messages[0].icon, Icon::Information);
}

TEST_F(FormTest, FocusStartsInTheLogAndFollowsTheTabIndex)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>("Text1"));
    // Labels and the progress bar take no focus; the disabled Option2 is skipped.
    const char* order[] = {"Txt_Offset_X", "Txt_Offset_Y",    "Btn_DXF",          "Txt_DXF",
                           "Txt_SCR",      "Btn_SCR",         "Option1",          "Btn_Start",
                           "Txt_Layer",    "Chk_Auto_Offset", "Txt_Linienstärke", "Chk_Line",
                           "Chk_Arc",      "Chk_Circle",      "Chk_Polyline",     "Text1"};
    for (const char* name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), Control<QWidget>(name)) << name;
    }
}

TEST_F(FormTest, TypedCommaInTheWidthFieldBecomesAFullStop)
{
    QLineEdit* width = Edit("Txt_Linienstärke");
    width->clear();
    QTest::keyClicks(width, QStringLiteral("0,25"));
    EXPECT_EQ(width->text(), QStringLiteral("0.25"));
    // No key is swallowed: other characters and control keys pass as typed.
    QTest::keyClicks(width, QStringLiteral("x;"));
    QTest::keyClick(width, Qt::Key_Backspace);
    EXPECT_EQ(width->text(), QStringLiteral("0.25x"));
}

TEST_F(FormTest, OtherFieldsKeepATypedComma)
{
    for (const char* name : {"Txt_Offset_X", "Txt_Offset_Y", "Txt_Layer", "Txt_DXF"}) {
        SCOPED_TRACE(name);
        QLineEdit* edit = Edit(name);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("0,25"));
        EXPECT_EQ(edit->text(), QStringLiteral("0,25"));
    }
}

TEST_F(FormTest, PastedCommaInTheWidthFieldStaysAComma)
{
    QLineEdit* width = Edit("Txt_Linienstärke");
    width->clear();
    QApplication::clipboard()->setText(QStringLiteral("0,5"));
    QTest::keyClick(width, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(width->text(), QStringLiteral("0,5"));
}

TEST_F(FormTest, ClearingAutoOffsetSetsBothOffsetsToZero)
{
    QCheckBox* autoOffset = Box("Chk_Auto_Offset");
    QTest::keyClicks(Edit("Txt_Offset_X"), QStringLiteral("-12.5"));
    QTest::keyClicks(Edit("Txt_Offset_Y"), QStringLiteral("-3"));
    QTest::mouseClick(autoOffset, Qt::LeftButton);
    ASSERT_TRUE(autoOffset->isChecked());
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("-12.5")) << "ticking changes nothing";
    QTest::mouseClick(autoOffset, Qt::LeftButton);
    ASSERT_FALSE(autoOffset->isChecked());
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("0"));
    EXPECT_EQ(Text("Txt_Offset_Y"), QStringLiteral("0"));
}

} // namespace
} // namespace vektrano::test
