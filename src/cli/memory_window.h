#pragma once

#include "run/window_operations.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vektrano {

// A window that exists only in memory: the fields and boxes start with the form's
// defaults, and everything the run shows is kept for the caller to print or check.
// The command-line tool, the tests and the fuzzers drive the run through it.
class MemoryWindow : public WindowOperations
{
public:
    struct Message
    {
        std::string text;
        std::string title;
        Icon icon;
    };

    MemoryWindow();

    std::string ReadField(Field field) const override;
    int ReadCheckBox(CheckBox box) const override;
    void WriteField(Field field, std::string_view text) override;
    void SetLog(std::string_view text) override;
    void AppendLog(std::string_view text) override;
    void SetProgress(float value) override;
    void SetBusyCursor(bool on) override;
    void MessageBox(std::string_view text, std::string_view title, Icon icon) override;
    bool Yield() override;
    void Repaint() override
    {
        if (onRepaint)
            onRepaint();
    }
    char DecimalSeparator() const override { return decimalSeparator; }

    void SetField(Field field, std::string text) { fields_[Index(field)] = std::move(text); }
    void SetCheckBox(CheckBox box, int state) { boxes_[Index(box)] = state; }

    const std::string& Log() const { return log_; }
    float Progress() const { return progress_; }
    bool BusyCursor() const { return busy_; }
    const std::vector<Message>& Messages() const { return messages_; }

    char decimalSeparator = '.';
    // Optional hooks: called on every Yield (return false to end the run), on
    // every repaint, on every progress value and on every message box.
    std::function<bool()> onYield;
    std::function<void()> onRepaint;
    std::function<void(float)> onProgress;
    std::function<void(const Message&)> onMessage;

private:
    template <typename E> static std::size_t Index(E value)
    {
        return static_cast<std::size_t>(value);
    }

    std::array<std::string, kFieldCount> fields_;
    std::array<int, kCheckBoxCount> boxes_{};
    std::string log_;
    float progress_ = 0;
    bool busy_ = false;
    std::vector<Message> messages_;
};

} // namespace vektrano
