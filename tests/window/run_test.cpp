#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vektrano::test {
namespace {

QString Shown(const std::string& log)
{
    QString text = QString::fromStdString(log);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

class RunTest : public WindowTest
{
protected:
    // Writes the drawing and returns inputs naming it and a script beside it.
    RunInputs Drawing(const std::string& bytes, const char* name = "plan.dxf")
    {
        RunInputs in;
        in.dxf = Path(name);
        in.scr = Path("plan.scr");
        WriteBytes(in.dxf, bytes);
        return in;
    }
    // The same inputs through the command-line tool's window, into its own script.
    MemoryRun Reference(RunInputs in, char decimalSeparator = '.')
    {
        in.scr = Path("reference.scr");
        return RunInMemory(in, decimalSeparator);
    }
    void ExpectSameAs(const MemoryRun& reference, const RunInputs& in)
    {
        EXPECT_EQ(window->LogText(), reference.log);
        EXPECT_EQ(ReadBytes(in.scr), reference.script);
        EXPECT_EQ(Control<QPlainTextEdit>("Text1")->toPlainText(), Shown(reference.log));
        EXPECT_EQ(Text("Txt_Offset_X").toStdString(), reference.offsetX);
        EXPECT_EQ(Text("Txt_Offset_Y").toStdString(), reference.offsetY);
        EXPECT_EQ(Control<QProgressBar>("ProgressBar1")->value(),
                  static_cast<int>(std::floor(reference.progress)));
        EXPECT_FALSE(HeldOpen(in.scr));
    }
};

TEST_F(RunTest, StartWithAnEmptyScriptFieldChangesNothing)
{
    RunInputs in = Drawing(SmallDrawing());
    in.scr.clear();
    Apply(in);
    ClickStart();
    EXPECT_TRUE(window->LogText().empty());
    EXPECT_TRUE(Control<QPlainTextEdit>("Text1")->toPlainText().isEmpty());
    EXPECT_EQ(Control<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("plan.dxf")});
}

TEST_F(RunTest, StartWritesTheSameScriptAndLogAsTheCommandLineTool)
{
    RunInputs in = Drawing(SmallDrawing());
    in.width = "0,05"; // typed: the key filter makes it 0.05
    in.offsetX = "1,5";
    in.offsetY = "-2";
    in.arc = false;
    Apply(in);
    ASSERT_EQ(Text("Txt_Linienstärke"), QStringLiteral("0.05"));
    ClickStart();
    in.width = "0.05";
    const MemoryRun reference = Reference(in);
    ASSERT_NE(reference.script.find("Wire"), std::string::npos) << reference.log;
    ExpectSameAs(reference, in);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(window->RunInProgress());
}

TEST_F(RunTest, RealDrawingsGiveTheSameBytesAsTheCommandLineTool)
{
    const std::filesystem::path samples = VEKTRANO_DXF_SAMPLES;
    if (!std::filesystem::is_directory(samples))
        GTEST_SKIP() << "no sample drawings at " << samples;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(samples)) {
        if (entry.path().extension() != ".dxf")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        for (int variant = 0; variant < 4; ++variant) {
            RunInputs in;
            in.dxf = entry.path().string();
            in.scr = Path("sample.scr");
            in.autoOffset = (variant & 1) != 0;
            in.fullGeometry = (variant & 2) != 0;
            Apply(in);
            ClickStart();
            ExpectSameAs(Reference(in), in);
            ++compared;
        }
    }
    EXPECT_GT(compared, 0);
}

TEST_F(RunTest, AutomaticOffsetUsesTheLocaleDecimalSeparatorInTheFields)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    RunInputs in = Drawing(SmallDrawing());
    in.autoOffset = true;
    Apply(in);
    ClickStart();
    QLocale::setDefault(before);
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("-12,5"));
    EXPECT_EQ(Text("Txt_Offset_Y"), QStringLiteral("-3"));
    // The script always gets ".", whatever the fields show.
    ExpectSameAs(Reference(in, ','), in);
    EXPECT_NE(ReadBytes(in.scr).find("(0 4)"), std::string::npos) << ReadBytes(in.scr);
}

TEST_F(RunTest, ClearingAutoOffsetAfterARunSetsBothOffsetsToZero)
{
    RunInputs in = Drawing(SmallDrawing());
    in.autoOffset = true;
    Apply(in);
    ClickStart();
    ASSERT_EQ(Text("Txt_Offset_X"), QStringLiteral("-12.5"));
    ASSERT_EQ(Text("Txt_Offset_Y"), QStringLiteral("-3"));
    QCheckBox* autoOffset = Box("Chk_Auto_Offset");
    QTest::mouseClick(autoOffset, Qt::LeftButton);
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("0"));
    EXPECT_EQ(Text("Txt_Offset_Y"), QStringLiteral("0"));
    QTest::mouseClick(autoOffset, Qt::LeftButton);
    ASSERT_TRUE(autoOffset->isChecked());
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("0"));
    EXPECT_EQ(Text("Txt_Offset_Y"), QStringLiteral("0"));
}

TEST_F(RunTest, ShowsTheBusyCursorWhileTheRunWorks)
{
    RunInputs in = Drawing(SmallDrawing());
    Apply(in);
    int yields = 0;
    bool busyEachTime = true;
    window->SetYieldHook([&] {
        ++yields;
        const QCursor* cursor = QApplication::overrideCursor();
        busyEachTime = busyEachTime && cursor && cursor->shape() == Qt::WaitCursor;
    });
    ClickStart();
    EXPECT_GT(yields, 0);
    EXPECT_TRUE(busyEachTime);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RunTest, EventsPendingAtStartAreProcessedDuringTheRun)
{
    RunInputs in = Drawing(SmallDrawing());
    Apply(in);
    bool ranDuringRun = false;
    QTimer::singleShot(0, window.get(), [&] { ranDuringRun = window->RunInProgress(); });
    ClickStart();
    EXPECT_TRUE(ranDuringRun) << "the run's first Yield did not process events";
}

TEST_F(RunTest, SecondStartDuringARunIsIgnored)
{
    RunInputs in = Drawing(SmallDrawing());
    Apply(in);
    bool clicked = false;
    window->SetYieldHook([&] {
        if (clicked)
            return;
        clicked = true;
        ClickStart();
    });
    ClickStart();
    ASSERT_TRUE(clicked);
    // Entered twice, the inner run would have replaced the log and emptied the
    // script the outer run then went on writing.
    ExpectSameAs(Reference(in), in);
}

TEST_F(RunTest, FieldEditedDuringTheRunIsReadByItsLaterSteps)
{
    RunInputs in = Drawing(SmallDrawing());
    Apply(in);
    window->SetYieldHook([&] { Edit("Txt_Linienstärke")->setText(QStringLiteral("0.5")); });
    ClickStart();
    in.width = "0.5";
    ExpectSameAs(Reference(in), in);
}

TEST_F(RunTest, FieldTypedIntoDuringTheRunIsReadByItsLaterSteps)
{
    RunInputs in = Drawing(SmallDrawing());
    Apply(in);
    // Keys that reach the field through one of the run's event rounds, the comma
    // filter included, as a user typing while the drawing loads.
    QTimer::singleShot(0, window.get(), [&] {
        QLineEdit* width = Edit("Txt_Linienstärke");
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("0,5"));
    });
    ClickStart();
    EXPECT_EQ(Text("Txt_Linienstärke"), QStringLiteral("0.5"));
    in.width = "0.5";
    ExpectSameAs(Reference(in), in);
}

TEST_F(RunTest, ClosingDuringTheScanRemovesTheScriptAndThenTheWindow)
{
    RunInputs in = Drawing(SmallDrawing(2000));
    Apply(in);
    bool closeAsked = false;
    bool stillShown = false;
    int yieldsAfterClose = 0;
    window->SetYieldHook([&] {
        if (closeAsked) {
            ++yieldsAfterClose;
            return;
        }
        // Close in the scan, once the script is open and has its header.
        if (window->LogText().find(std::string(76, '-')) == std::string::npos)
            return;
        EXPECT_TRUE(HeldOpen(in.scr));
        closeAsked = true;
        window->close();
        stillShown = window->isVisible();
    });
    ClickStart();
    ASSERT_TRUE(closeAsked);
    EXPECT_TRUE(stillShown) << "the window closed while the run still held the script";
    EXPECT_EQ(yieldsAfterClose, 0) << "the run went on after the window asked it to end";
    EXPECT_FALSE(window->isVisible()) << "the window did not close after the run";
    EXPECT_FALSE(std::filesystem::exists(in.scr)) << "a truncated script was left behind";
    EXPECT_EQ(window->LogText().find("Anzahl Linien"), std::string::npos);
}

TEST_F(RunTest, ClosingWhileTheDrawingLoadsRemovesTheScriptAndThenTheWindow)
{
    // The drawing comes through a named pipe in two parts, so the load lasts until
    // the second arrives; the close reaches the window while it repaints in between
    // and takes effect at the run's first yield after the load.
    RunInputs in;
    in.dxf = Path("plan.dxf");
    in.scr = Path("plan.scr");
    ASSERT_EQ(::mkfifo(in.dxf.c_str(), 0600), 0);
    Apply(in);
    // Opened for reading and writing, the pipe needs no reader to be there yet; the
    // drawing is small enough for the pipe to hold it unread.
    const int fd = ::open(in.dxf.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const std::string drawing = SmallDrawing(200);
    ASSERT_LT(drawing.size(), 65536u);
    std::thread writer([&] {
        const std::size_t half = drawing.size() / 2;
        (void)!::write(fd, drawing.data(), half);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        (void)!::write(fd, drawing.data() + half, drawing.size() - half);
        ::close(fd);
    });
    bool closedInLoad = false;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (state.FileText.empty() || closedInLoad)
            return;
        closedInLoad = state.Lines.PieceCount() == 0;
        closer.stop();
        window->close();
    });
    closer.start();
    ClickStart();
    writer.join();
    EXPECT_TRUE(closedInLoad);
    EXPECT_FALSE(window->isVisible()) << "the window did not close after the run";
    EXPECT_FALSE(std::filesystem::exists(in.scr)) << "a truncated script was left behind";
    EXPECT_EQ(window->LogText().find("Anzahl Linien"), std::string::npos);
}

TEST_F(RunTest, MissingEndStopsWithACriticalMessage)
{
    RunInputs in = Drawing("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n1\r\n");
    Apply(in);
    ClickStart();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Ende nicht gefunden Abbruch"));
    EXPECT_EQ(messages[0].title, QStringLiteral("Ende nicht gefunden"));
    EXPECT_EQ(messages[0].icon, Icon::Critical);
    ExpectSameAs(Reference(in), in);
}

TEST_F(RunTest, LogKeepsCrLfAndShowsLineBreaks)
{
    window->SetLog("a\r\n");
    window->AppendLog("b");
    window->AppendLog("c\r");
    window->AppendLog("\nd\r\n\r\n");
    EXPECT_EQ(window->LogText(), "a\r\nbc\r\nd\r\n\r\n");
    EXPECT_EQ(Control<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("a\nbc\nd\n\n"));
    window->SetLog("neu");
    EXPECT_EQ(window->LogText(), "neu");
    EXPECT_EQ(Control<QPlainTextEdit>("Text1")->toPlainText(), QStringLiteral("neu"));
}

TEST_F(RunTest, LongLogsAreAppendedWithoutRebuildingTheShownText)
{
    // Rebuilding Text1 from the whole log on every append would be quadratic and
    // never finish here.
    const std::string row = "Unbekannte Befehle: \t1x\tNAME\r\n";
    std::string tally;
    for (int i = 0; i < 100000; ++i)
        tally += row;
    window->SetLog("Kopf\r\n");
    window->AppendLog(tally); // the run writes its tally rows as one piece
    for (int i = 0; i < 20000; ++i)
        window->AppendLog(row);
    EXPECT_EQ(window->LogText().size(), 6 + 120000 * row.size());
    EXPECT_EQ(Control<QPlainTextEdit>("Text1")->blockCount(), 120000 + 2);
}

TEST_F(RunTest, DecimalSeparatorFollowsTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(window->DecimalSeparator(), ',');
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(window->DecimalSeparator(), '.');
    QLocale::setDefault(before);
}

TEST(MessageBoxTest, RealBoxIsModalWithTheIconAndOnlyOk)
{
    Variablen state;
    MainWindow window(state);
    window.show();
    struct Seen
    {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        bool modal = false;
    };
    for (const auto& [icon, expected] : {std::pair{Icon::Critical, QMessageBox::Critical},
                                         std::pair{Icon::Information, QMessageBox::Information}}) {
        Seen seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                    box->isModal()};
            box->accept();
        });
        window.MessageBox("Ende nicht gefunden Abbruch", "Ende nicht gefunden", icon);
        EXPECT_EQ(seen.text, QStringLiteral("Ende nicht gefunden Abbruch"));
        EXPECT_EQ(seen.title, QStringLiteral("Ende nicht gefunden"));
        EXPECT_EQ(seen.icon, expected);
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_TRUE(seen.modal);
    }
}

} // namespace
} // namespace vektrano::test
