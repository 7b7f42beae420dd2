#include "window_fixture.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace vektrano::test {
namespace {

struct BrowseCase
{
    const char* chosen;
    const char* script;
};

// The browse rule: the last three characters are dropped whatever they are.
constexpr BrowseCase kBrowseCases[] = {
    {"/data/plan.dxf", "/data/plan.scr"},
    {"/data/PLAN.DXF", "/data/PLAN.scr"},
    {"/data/plan.dxf.bak", "/data/plan.dxf.scr"},
    {"/data/drawing", "/data/drawscr"},
    {"/data/Zeichnung für Müller.dxf", "/data/Zeichnung für Müller.scr"},
};

using BrowseTest = WindowTest;

TEST_F(BrowseTest, DxfBrowseDerivesTheScriptPath)
{
    FakeFileDialog& dialog = UseFakeDialog();
    for (const BrowseCase& c : kBrowseCases) {
        SCOPED_TRACE(c.chosen);
        dialog.answers.push_back(QString::fromUtf8(c.chosen));
        QTest::mouseClick(Control<QPushButton>("Btn_DXF"), Qt::LeftButton);
        EXPECT_EQ(Text("Txt_DXF"), QString::fromUtf8(c.chosen));
        EXPECT_EQ(Text("Txt_SCR"), QString::fromUtf8(c.script));
        EXPECT_EQ(dialog.uses.back().filter, QStringLiteral("DXF Dateien|*.dxf"));
    }
}

TEST_F(BrowseTest, ScriptPathKeepsACharacterOutsideTheBasicPlaneWhole)
{
    // U+1F4D0 is one character of two UTF-16 units.
    EXPECT_EQ(ScriptPathFor(QString::fromUtf8("/data/ab\xF0\x9F\x93\x90xy")),
              QStringLiteral("/data/abscr"));
    EXPECT_EQ(ScriptPathFor(QString::fromUtf8("/data/a\xF0\x9F\x93\x90\x62")),
              QStringLiteral("/data/scr"));
    EXPECT_EQ(ScriptPathFor(QStringLiteral("ab")), QStringLiteral("scr"));
}

TEST_F(BrowseTest, DxfBrowseOverwritesAChosenScriptPath)
{
    FakeFileDialog& dialog = UseFakeDialog();
    dialog.answers = {QStringLiteral("/data/out.scr"), QStringLiteral("/data/plan.dxf")};
    QTest::mouseClick(Control<QPushButton>("Btn_SCR"), Qt::LeftButton);
    EXPECT_EQ(Text("Txt_SCR"), QStringLiteral("/data/out.scr"));
    QTest::mouseClick(Control<QPushButton>("Btn_DXF"), Qt::LeftButton);
    EXPECT_EQ(Text("Txt_SCR"), QStringLiteral("/data/plan.scr"));
}

TEST_F(BrowseTest, ScriptBrowseChangesOnlyTheScriptPath)
{
    FakeFileDialog& dialog = UseFakeDialog();
    QTest::keyClicks(Edit("Txt_DXF"), QStringLiteral("/typed/plan.dxf"));
    dialog.answers = {QStringLiteral("/data/out.scr")};
    QTest::mouseClick(Control<QPushButton>("Btn_SCR"), Qt::LeftButton);
    EXPECT_EQ(Text("Txt_DXF"), QStringLiteral("/typed/plan.dxf"));
    EXPECT_EQ(Text("Txt_SCR"), QStringLiteral("/data/out.scr"));
    EXPECT_EQ(dialog.uses.back().filter, QStringLiteral("SCR Dateien|*.scr"));
    EXPECT_EQ(dialog.uses.back().defaultExt, QStringLiteral("scr"));
}

TEST_F(BrowseTest, ScriptBrowseLeavesItsDefaultExtensionForTheDxfBrowse)
{
    FakeFileDialog& dialog = UseFakeDialog();
    dialog.answers = {QStringLiteral("/data/a.dxf"), QStringLiteral("/data/out.scr"),
                      QStringLiteral("/data/b.dxf")};
    QTest::mouseClick(Control<QPushButton>("Btn_DXF"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("Btn_SCR"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("Btn_DXF"), Qt::LeftButton);
    ASSERT_EQ(dialog.uses.size(), 3u);
    EXPECT_EQ(dialog.uses[0].defaultExt, QString()) << "none before the script browse";
    EXPECT_EQ(dialog.uses[2].filter, QStringLiteral("DXF Dateien|*.dxf"));
    EXPECT_EQ(dialog.uses[2].defaultExt, QStringLiteral("scr"));
}

TEST_F(BrowseTest, CancelledDialogLeavesBothFields)
{
    FakeFileDialog& dialog = UseFakeDialog();
    dialog.answers = {QStringLiteral("/data/plan.dxf"), std::nullopt, std::nullopt};
    QTest::mouseClick(Control<QPushButton>("Btn_DXF"), Qt::LeftButton);
    for (const char* button : {"Btn_DXF", "Btn_SCR"}) {
        SCOPED_TRACE(button);
        QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
        EXPECT_EQ(Text("Txt_DXF"), QStringLiteral("/data/plan.dxf"));
        EXPECT_EQ(Text("Txt_SCR"), QStringLiteral("/data/plan.scr"));
    }
}

TEST_F(BrowseTest, EachDialogSaysWhatIsChosenAndStartsAtItsField)
{
    FakeFileDialog& dialog = UseFakeDialog();
    Edit("Txt_DXF")->setText(QStringLiteral("/data/plan.dxf"));
    Edit("Txt_SCR")->setText(QStringLiteral("/out/plan.scr"));
    dialog.answers = {std::nullopt, std::nullopt};
    struct Case
    {
        const char* button;
        QString title;
        QString start;
    };
    for (const Case& c :
         {Case{"Btn_DXF", QStringLiteral("DXF Datei öffnen"), QStringLiteral("/data/plan.dxf")},
          Case{"Btn_SCR", QStringLiteral("SCR Datei wählen"), QStringLiteral("/out/plan.scr")}}) {
        SCOPED_TRACE(c.button);
        QTest::mouseClick(Control<QPushButton>(c.button), Qt::LeftButton);
        EXPECT_EQ(dialog.uses.back().title, c.title);
        EXPECT_EQ(dialog.uses.back().startPath, c.start);
    }
}

TEST(QtFileDialogTest, RealDialogIsGermanAndOpensInTheFolderOfItsField)
{
    QTemporaryDir dir;
    QWidget parent;
    QtFileDialog dialog(&parent);
    dialog.SetTitle(QStringLiteral("DXF Datei öffnen"));
    struct Seen
    {
        QString title, directory;
        QStringList buttons;
    };
    // A folder that does not exist leaves the dialog where it was last used.
    for (const QString& start : {dir.filePath(QStringLiteral("plan.dxf")),
                                 dir.filePath(QStringLiteral("fehlt/plan.dxf"))}) {
        SCOPED_TRACE(start.toStdString());
        dialog.SetStartPath(start);
        Seen seen;
        QTimer::singleShot(0, [&dialog, &seen] {
            QFileDialog* shown = dialog.Dialog();
            if (!shown)
                return;
            seen.title = shown->windowTitle();
            seen.directory = shown->directory().absolutePath();
            for (const QPushButton* button : shown->findChildren<QPushButton*>())
                if (button->isVisible())
                    seen.buttons.append(button->text());
            shown->reject();
        });
        EXPECT_FALSE(dialog.ShowOpen());
        EXPECT_EQ(seen.title, QStringLiteral("DXF Datei öffnen"));
        EXPECT_EQ(seen.directory, QDir(dir.path()).absolutePath());
        // Qt's own texts, from its German catalogue.
        EXPECT_TRUE(seen.buttons.contains(QStringLiteral("&Öffnen")))
            << seen.buttons.join(u' ').toStdString();
        EXPECT_TRUE(seen.buttons.contains(QStringLiteral("Abbrechen")))
            << seen.buttons.join(u' ').toStdString();
    }
}

TEST(QtNameFiltersTest, TurnsDescriptionAndPatternIntoQtFilters)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("DXF Dateien|*.dxf")),
              QStringList{QStringLiteral("DXF Dateien (*.dxf)")});
    EXPECT_EQ(QtNameFilters(QStringLiteral("SCR Dateien|*.scr|Alle|*.*")),
              (QStringList{QStringLiteral("SCR Dateien (*.scr)"), QStringLiteral("Alle (*.*)")}));
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}

// Answers the real dialog once it is open: checks what it shows, then picks a
// file or cancels.
void AnswerDialog(QtFileDialog& dialog, const QString& expectFilter, const QString& expectSuffix,
                  const QString& choose, bool* answered)
{
    QTimer::singleShot(0, [&dialog, expectFilter, expectSuffix, choose, answered] {
        QFileDialog* shown = dialog.Dialog();
        if (!shown || !shown->isVisible()) {
            AnswerDialog(dialog, expectFilter, expectSuffix, choose, answered);
            return;
        }
        EXPECT_EQ(shown->nameFilters(), QStringList{expectFilter});
        EXPECT_EQ(shown->defaultSuffix(), expectSuffix);
        *answered = true;
        if (choose.isEmpty()) {
            shown->reject();
        } else {
            shown->selectFile(choose);
            static_cast<QDialog*>(shown)->accept(); // QFileDialog::accept, protected there
        }
    });
}

TEST(QtFileDialogTest, OneDialogKeepsFilterAndDefaultSuffixBetweenUses)
{
    QTemporaryDir dir;
    QWidget parent;
    QtFileDialog dialog(&parent);
    bool answered = false;

    dialog.SetFilter(QStringLiteral("SCR Dateien|*.scr"));
    dialog.SetDefaultExt(QStringLiteral("scr"));
    // A script that does not exist yet, typed without its extension.
    AnswerDialog(dialog, QStringLiteral("SCR Dateien (*.scr)"), QStringLiteral("scr"),
                 dir.filePath(QStringLiteral("new")), &answered);
    ASSERT_TRUE(dialog.ShowOpen());
    EXPECT_TRUE(answered);
    EXPECT_EQ(dialog.FileName(), dir.filePath(QStringLiteral("new.scr")));
    QFileDialog* first = dialog.Dialog();

    answered = false;
    dialog.SetFilter(QStringLiteral("DXF Dateien|*.dxf"));
    AnswerDialog(dialog, QStringLiteral("DXF Dateien (*.dxf)"), QStringLiteral("scr"), QString(),
                 &answered);
    EXPECT_FALSE(dialog.ShowOpen()) << "a cancel is no choice";
    EXPECT_TRUE(answered);
    EXPECT_EQ(dialog.Dialog(), first) << "the same dialog for the window's life";
    EXPECT_EQ(dialog.FileName(), dir.filePath(QStringLiteral("new.scr")));
}

} // namespace
} // namespace vektrano::test
