#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <vector>

namespace vektrano::test {
namespace {

struct FieldControl
{
    Field field;
    const char* name;
};

constexpr FieldControl kFields[] = {
    {Field::Txt_DXF, "Txt_DXF"},           {Field::Txt_SCR, "Txt_SCR"},
    {Field::Txt_Layer, "Txt_Layer"},       {Field::Txt_Linienstärke, "Txt_Linienstärke"},
    {Field::Txt_Offset_X, "Txt_Offset_X"}, {Field::Txt_Offset_Y, "Txt_Offset_Y"},
};

struct FieldEdit
{
    const char* how;
    std::function<void(QLineEdit*)> apply;
};

// Every way the text of a field can change, by program or by the user.
const std::vector<FieldEdit>& Edits()
{
    static const std::vector<FieldEdit> edits = {
        {"setText with umlauts",
         [](QLineEdit* e) { e->setText(QStringLiteral("/tmp/Übersicht größer.dxf")); }},
        {"typed", [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("-3")); }},
        {"backspace",
         [](QLineEdit* e) {
             e->setText(QStringLiteral("123"));
             e->end(false);
             QTest::keyClick(e, Qt::Key_Backspace);
         }},
        {"insert", [](QLineEdit* e) { e->insert(QStringLiteral("7")); }},
        {"clear", [](QLineEdit* e) { e->clear(); }},
        {"paste",
         [](QLineEdit* e) {
             QApplication::clipboard()->setText(QStringLiteral("0,75"));
             e->paste();
         }},
        {"undo",
         [](QLineEdit* e) {
             e->setText(QStringLiteral("1"));
             QTest::keyClicks(e, QStringLiteral("23"));
             e->undo();
         }},
    };
    return edits;
}

using OperationsTest = WindowTest;

TEST_F(OperationsTest, ReadFieldReturnsTheTextAfterEveryKindOfEdit)
{
    for (const FieldControl& f : kFields) {
        for (const FieldEdit& edit : Edits()) {
            SCOPED_TRACE(std::string(f.name) + ", " + edit.how);
            QLineEdit* control = Edit(f.name);
            edit.apply(control);
            EXPECT_EQ(window->ReadField(f.field), control->text().toStdString());
        }
    }
}

TEST_F(OperationsTest, ReadFieldSeesTheFormsInitialTexts)
{
    for (const FieldControl& f : kFields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(window->ReadField(f.field), Text(f.name).toStdString());
    }
}

// Records the value the bar shows each time it paints.
class PaintRecorder final : public QObject
{
public:
    explicit PaintRecorder(QProgressBar* bar)
        : bar_(bar)
    {
        bar->installEventFilter(this);
    }
    std::vector<int> painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == bar_ && event->type() == QEvent::Paint)
            painted.push_back(bar_->value());
        return false;
    }

private:
    QProgressBar* bar_;
};

TEST_F(OperationsTest, BarPaintsWithoutTheEventLoopAndShowsEveryLastValue)
{
    auto* bar = Control<QProgressBar>("ProgressBar1");
    QApplication::processEvents();
    PaintRecorder recorder(bar);

    // A phase that does not yield: the first move paints before SetProgress
    // returns.
    window->SetProgress(5);
    ASSERT_FALSE(recorder.painted.empty()) << "the bar did not paint itself";
    EXPECT_EQ(recorder.painted.back(), 5);

    // Moves in quick succession: the bar holds each value, and the one it was
    // left at is painted by the next event round at the latest.
    for (int value = 6; value <= 40; ++value)
        window->SetProgress(static_cast<float>(value) + 0.5f);
    EXPECT_EQ(bar->value(), 40);
    QApplication::processEvents();
    ASSERT_FALSE(recorder.painted.empty());
    EXPECT_EQ(recorder.painted.back(), 40);

    // A move after a frame's worth of work paints at once again.
    QThread::msleep(40);
    const std::size_t before = recorder.painted.size();
    window->SetProgress(41);
    ASSERT_GT(recorder.painted.size(), before) << "a later move was not painted at once";
    EXPECT_EQ(recorder.painted.back(), 41);
}

TEST_F(OperationsTest, YieldKeepsRunningTheEventLoopDuringALongScan)
{
    bool fired = false;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, window.get(), [&] { fired = true; });
    // The first Yield of a run processes events at once.
    EXPECT_TRUE(window->Yield());
    EXPECT_TRUE(fired);

    // Then, yielding as the scan does, once per line, pending events wait about
    // the interval, not for the end of the run.
    fired = false;
    QTimer::singleShot(0, window.get(), [&] { fired = true; });
    clock.restart();
    while (!fired && clock.elapsed() < 1000)
        window->Yield();
    EXPECT_TRUE(fired);
    EXPECT_LT(clock.elapsed(), 200);
}

} // namespace
} // namespace vektrano::test
