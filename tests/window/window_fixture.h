#pragma once

#include "cli/memory_window.h"
#include "support/files.h"
#include "window/main_window.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace vektrano::test {

// Stands in for CommonDialog1: answers each ShowOpen with the next queued file
// name (nullopt: the user cancelled) and records what the dialog held at that
// moment.
class FakeFileDialog final : public FileDialog
{
public:
    struct Use
    {
        QString filter;
        QString defaultExt;
        QString title;
        QString startPath;
    };

    void SetFilter(const QString& filter) override { filter_ = filter; }
    void SetDefaultExt(const QString& extension) override { defaultExt_ = extension; }
    void SetTitle(const QString& title) override { title_ = title; }
    void SetStartPath(const QString& path) override { startPath_ = path; }
    bool ShowOpen() override;
    QString FileName() const override { return fileName_; }

    std::deque<std::optional<QString>> answers;
    std::vector<Use> uses;

private:
    QString filter_;
    QString defaultExt_;
    QString title_;
    QString startPath_;
    QString fileName_;
};

// What a message box would have shown.
struct ShownMessage
{
    QString text;
    QString title;
    Icon icon;
};

// The inputs of one conversion, applied alike to the real window and to the
// command-line tool's MemoryWindow.
struct RunInputs
{
    std::string dxf;
    std::string scr;
    std::string layer = "20";
    std::string width = "0.01";
    std::string offsetX;
    std::string offsetY;
    bool autoOffset = false;
    bool line = true, arc = true, circle = true, polyline = true;
    bool fullGeometry = false;
};

struct MemoryRun
{
    std::string log;
    std::string script;
    std::string offsetX;
    std::string offsetY;
    float progress = 0;
    std::vector<MemoryWindow::Message> messages;
};

// Runs the engine through a MemoryWindow, as vektrano-cli does.
MemoryRun RunInMemory(const RunInputs& inputs, char decimalSeparator = '.');

// True while this process holds a descriptor open on the file.
bool HeldOpen(const std::string& path);

// A small drawing with CR LF line ends: two LINEs whose smallest point is
// (12.5, 3), a CIRCLE and an unknown name; extraLines more LINEs follow for runs
// that need the scan to take a while.
std::string SmallDrawing(int extraLines = 0);

// The real Form1, shown on the offscreen platform, its message boxes recorded.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    template <typename T> T* Control(const char* name) const
    {
        T* control = window->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(name); }
    QCheckBox* Box(const char* name) const { return Control<QCheckBox>(name); }
    QString Text(const char* name) const { return Edit(name)->text(); }

    // Types the inputs into the window's fields and sets its boxes.
    void Apply(const RunInputs& inputs);
    void ClickStart();
    std::string Path(const char* name) const;
    FakeFileDialog& UseFakeDialog();

    Variablen state;
    std::unique_ptr<MainWindow> window;
    std::vector<ShownMessage> messages;
    QTemporaryDir dir;
};

} // namespace vektrano::test
