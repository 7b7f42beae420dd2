#include "window_settings.h"

#include "script/cp1252.h"
#include "script/number_rules.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

StopOr WindowSettings::Offset(Axis axis, double& offset)
{
    FieldNumber& cache = axis == Axis::X ? offsetX_ : offsetY_;
    std::string text =
        window_.ReadField(axis == Axis::X ? Field::Txt_Offset_X : Field::Txt_Offset_Y);
    if (!cache.valid || text != cache.text) {
        cache.value = ReadFieldNumber(text);
        cache.text = std::move(text);
        cache.valid = true;
    }
    if (!std::isfinite(cache.value))
        return ErrorStop("Ungültiger Offset: \"" + cache.text + "\"");
    offset = cache.value;
    return std::nullopt;
}

StopOr WindowSettings::Width(std::string_view& bytes)
{
    std::string text = window_.ReadField(Field::Txt_Linienstärke);
    if (!widthValid_ || text != widthText_) {
        // Only a paste brings one into the field; in the script it would end the
        // line and let the rest of the field run as a command of its own.
        if (HasControlCharacter(text))
            return ErrorStop("Ungültige Linienstärke: das Feld enthält ein Steuerzeichen");
        widthBytes_ = Utf8ToCp1252(text);
        widthText_ = std::move(text);
        widthValid_ = true;
    }
    bytes = widthBytes_;
    return std::nullopt;
}

bool WindowSettings::Enabled(EntityName kind)
{
    CheckBox box = CheckBox::Chk_Line;
    switch (kind) {
    case EntityName::Line: box = CheckBox::Chk_Line; break;
    case EntityName::Arc: box = CheckBox::Chk_Arc; break;
    case EntityName::Circle: box = CheckBox::Chk_Circle; break;
    case EntityName::Polyline: box = CheckBox::Chk_Polyline; break;
    default: return false;
    }
    return window_.ReadCheckBox(box) != 0;
}

bool HasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

} // namespace vektrano
