#pragma once

#include <string>
#include <string_view>

namespace vektrano {

// The window's text fields and check boxes that the engine reads or writes, named
// as the form names them.
enum class Field { Txt_DXF, Txt_SCR, Txt_Layer, Txt_Linienstärke, Txt_Offset_X, Txt_Offset_Y };
enum class CheckBox { Chk_Auto_Offset, Chk_Line, Chk_Arc, Chk_Circle, Chk_Polyline };

// What a converter may ask of the window: read a field (UTF-8, exactly as shown)
// and read a check box (0 cleared, 1 checked). Read at the moment of use, never
// cached, because the user may change them while a run yields.
class ControlReader
{
public:
    virtual ~ControlReader() = default;
    virtual std::string ReadField(Field field) const = 0;
    virtual int ReadCheckBox(CheckBox box) const = 0;
};

} // namespace vektrano
