#include "auto_offset.h"

#include "run_log.h"
#include "script/converters.h"
#include "script/number_rules.h"

namespace vektrano {

std::string OffsetFieldText(double minimum, char decimalSeparator)
{
    std::string text = NumberText(-minimum);
    for (char& c : text)
        if (c == '.')
            c = decimalSeparator;
    return text;
}

StopOr FindOffset(ConverterContext& context, WindowOperations& window)
{
    Variablen& state = context.state;
    state.MinX = 9999999;
    state.MinY = 9999999;
    // The converters add the fields to every coordinate: measure raw coordinates.
    window.WriteField(Field::Txt_Offset_X, "0");
    window.WriteField(Field::Txt_Offset_Y, "0");
    const std::size_t n = state.Entities.size() - 1;
    ProgressSteps progress(window);
    for (std::size_t i = 0; i < n; ++i) {
        progress.Set(static_cast<double>(i) * 100 / static_cast<double>(n));
        if (auto stop = ConvertEntity(context, i, true))
            return stop;
    }
    window.WriteField(Field::Txt_Offset_X, OffsetFieldText(state.MinX, window.DecimalSeparator()));
    window.WriteField(Field::Txt_Offset_Y, OffsetFieldText(state.MinY, window.DecimalSeparator()));
    return std::nullopt;
}

} // namespace vektrano
