#include "memory_window.h"

namespace vektrano {

MemoryWindow::MemoryWindow()
{
    SetField(Field::Txt_Layer, "20");
    SetField(Field::Txt_Linienstärke, "0.01");
    SetCheckBox(CheckBox::Chk_Auto_Offset, 0);
    for (CheckBox box :
         {CheckBox::Chk_Line, CheckBox::Chk_Arc, CheckBox::Chk_Circle, CheckBox::Chk_Polyline})
        SetCheckBox(box, 1);
}

std::string MemoryWindow::ReadField(Field field) const { return fields_[Index(field)]; }

int MemoryWindow::ReadCheckBox(CheckBox box) const { return boxes_[Index(box)]; }

void MemoryWindow::WriteField(Field field, std::string_view text)
{
    fields_[Index(field)] = std::string(text);
}

void MemoryWindow::SetLog(std::string_view text) { log_.assign(text); }

void MemoryWindow::AppendLog(std::string_view text) { log_.append(text); }

void MemoryWindow::SetProgress(float value)
{
    progress_ = value;
    if (onProgress)
        onProgress(value);
}

void MemoryWindow::SetBusyCursor(bool on) { busy_ = on; }

void MemoryWindow::MessageBox(std::string_view text, std::string_view title, Icon icon)
{
    messages_.push_back({std::string(text), std::string(title), icon});
    if (onMessage)
        onMessage(messages_.back());
}

bool MemoryWindow::Yield() { return !onYield || onYield(); }

} // namespace vektrano
