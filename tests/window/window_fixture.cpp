#include "window_fixture.h"

#include "run/conversion_run.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vektrano::test {

bool FakeFileDialog::ShowOpen()
{
    uses.push_back({filter_, defaultExt_, title_, startPath_});
    if (answers.empty()) {
        ADD_FAILURE() << "the dialog was shown more often than the test expected";
        return false;
    }
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    if (!answer)
        return false;
    fileName_ = *answer;
    return true;
}

MemoryRun RunInMemory(const RunInputs& in, char decimalSeparator)
{
    MemoryWindow window;
    window.decimalSeparator = decimalSeparator;
    window.SetField(Field::Txt_DXF, in.dxf);
    window.SetField(Field::Txt_SCR, in.scr);
    window.SetField(Field::Txt_Layer, in.layer);
    window.SetField(Field::Txt_Linienstärke, in.width);
    window.SetField(Field::Txt_Offset_X, in.offsetX);
    window.SetField(Field::Txt_Offset_Y, in.offsetY);
    window.SetCheckBox(CheckBox::Chk_Auto_Offset, in.autoOffset);
    window.SetCheckBox(CheckBox::Chk_Line, in.line);
    window.SetCheckBox(CheckBox::Chk_Arc, in.arc);
    window.SetCheckBox(CheckBox::Chk_Circle, in.circle);
    window.SetCheckBox(CheckBox::Chk_Polyline, in.polyline);
    Variablen state;
    ConversionOptions options;
    options.fullGeometry = in.fullGeometry;
    RunConversion(window, state, options);
    return {window.Log(),
            ReadBytes(in.scr),
            window.ReadField(Field::Txt_Offset_X),
            window.ReadField(Field::Txt_Offset_Y),
            window.Progress(),
            window.Messages()};
}

bool HeldOpen(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target = fs::weakly_canonical(path, error);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        const fs::path link = fs::read_symlink(entry.path(), linkError);
        if (!linkError && link == target)
            return true;
    }
    return false;
}

std::string SmallDrawing(int extraLines)
{
    std::string dxf = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    auto line = [&dxf](const char* x1, const char* y1, const char* x2, const char* y2) {
        dxf += std::string("  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n") + x1 + "\r\n 20\r\n" + y1 +
               "\r\n 11\r\n" + x2 + "\r\n 21\r\n" + y2 + "\r\n";
    };
    line("12.5", "7", "40", "9.25");
    line("20", "3", "30", "5");
    dxf += "  0\r\nCIRCLE\r\n  8\r\n0\r\n 10\r\n25\r\n 20\r\n15\r\n 40\r\n2.5\r\n";
    dxf += "  0\r\nTEXT\r\n  8\r\n0\r\n  1\r\nHallo\r\n";
    for (int i = 0; i < extraLines; ++i)
        line("30", "10", "35", "12");
    dxf += "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    return dxf;
}

void WindowTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    // Every test starts as a first start would; the settings are the tests' own.
    QSettings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano")).clear();
    window = std::make_unique<MainWindow>(state);
    window->SetMessageBox([this](const QString& text, const QString& title, Icon icon) {
        messages.push_back({text, title, icon});
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void WindowTest::TearDown()
{
    window.reset();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor was left on";
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void WindowTest::Apply(const RunInputs& in)
{
    auto type = [this](const char* name, const std::string& text) {
        QLineEdit* edit = Edit(name);
        edit->clear();
        // Typed as a user would, so the key filter sees every character.
        QTest::keyClicks(edit, QString::fromStdString(text));
    };
    type("Txt_DXF", in.dxf);
    type("Txt_SCR", in.scr);
    type("Txt_Layer", in.layer);
    type("Txt_Linienstärke", in.width);
    type("Txt_Offset_X", in.offsetX);
    type("Txt_Offset_Y", in.offsetY);
    Box("Chk_Auto_Offset")->setChecked(in.autoOffset);
    QAction* fullGeometry =
        window->findChild<QAction*>(QStringLiteral("Menue_Vollständige_Geometrie"));
    ASSERT_NE(fullGeometry, nullptr);
    fullGeometry->setChecked(in.fullGeometry);
    Box("Chk_Line")->setChecked(in.line);
    Box("Chk_Arc")->setChecked(in.arc);
    Box("Chk_Circle")->setChecked(in.circle);
    Box("Chk_Polyline")->setChecked(in.polyline);
}

void WindowTest::ClickStart()
{
    QTest::mouseClick(Control<QPushButton>("Btn_Start"), Qt::LeftButton);
}

std::string WindowTest::Path(const char* name) const
{
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

FakeFileDialog& WindowTest::UseFakeDialog()
{
    auto fake = std::make_unique<FakeFileDialog>();
    FakeFileDialog& ref = *fake;
    window->SetFileDialog(std::move(fake));
    return ref;
}

} // namespace vektrano::test
