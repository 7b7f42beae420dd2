#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vektrano {

// The window's text fields and check boxes that the engine reads or writes, named
// as the form names them.
enum class Field { Txt_DXF, Txt_SCR, Txt_Layer, Txt_Linienstärke, Txt_Offset_X, Txt_Offset_Y };
enum class CheckBox { Chk_Auto_Offset, Chk_Line, Chk_Arc, Chk_Circle, Chk_Polyline };

// How many of each there are, for tables indexed by them; a control added at the
// end of its enum widens them.
inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(Field::Txt_Offset_Y) + 1;
inline constexpr std::size_t kCheckBoxCount = static_cast<std::size_t>(CheckBox::Chk_Polyline) + 1;

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
