#pragma once

#include "script/conversion_settings.h"
#include "window_operations.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vektrano {

// The converters' settings read from the window's fields and check boxes at every
// request. A field's text is converted again only when it changed since the last
// request; a drawing asks for the offsets millions of times.
class WindowSettings final : public ConversionSettings
{
public:
    explicit WindowSettings(const WindowOperations& window)
        : window_(window)
    {}

    StopOr Offset(Axis axis, double& offset) override;
    StopOr Width(std::string_view& bytes) override;
    bool Enabled(EntityName kind) override;

private:
    struct FieldNumber
    {
        std::string text;
        double value = 0;
        bool valid = false;
    };

    const WindowOperations& window_;
    FieldNumber offsetX_;
    FieldNumber offsetY_;
    std::string widthText_;  // the width field as last read (UTF-8)
    std::string widthBytes_; // the same in the script's code page
    bool widthValid_ = false;
};

// A character below 0x20 or 0x7F: it would break a script line or the log.
bool HasControlCharacter(std::string_view text);

} // namespace vektrano
