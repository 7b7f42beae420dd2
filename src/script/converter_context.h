#pragma once

#include "conversion_settings.h"
#include "script_file.h"
#include "state/monotone_table.h"
#include "state/variablen.h"
#include "stop.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vektrano {

// The group codes any converter reacts to.
enum class GroupCode : std::uint8_t { C10, C20, C30, C11, C21, C40, C50, C51 };

struct CodeLine
{
    std::uint64_t position;
    GroupCode code;
};

// The code lines of one stretch of the table that some converter reacts to. When
// several entity names share one closing "0" (a layer called "LINE", repeated a
// hundred thousand times), their ranges overlap; remembering the stretch last
// walked lets each of them reach its codes without stepping through every line
// again.
class CodeLineCache
{
public:
    // The code lines at odd positions from first to last, in file order.
    // pause, when given, is called between stretches of many lines.
    std::pair<const CodeLine*, const CodeLine*> Lines(const LineTable& lines, std::uint64_t first,
                                                      std::uint64_t last,
                                                      const std::function<void()>& pause = {});

private:
    std::uint64_t from_ = 1;
    std::uint64_t to_ = 0; // empty while to_ < from_
    std::vector<CodeLine> codeLines_;
};

// A value line already read as a number. Entities whose ranges overlap (a layer
// called "LINE", repeated a hundred thousand times) read the same value lines
// again for every name; a file changes no line during a run.
struct ParsedValue
{
    std::uint64_t position = 0; // 0 is never a value line
    double value = 0;
};

// Everything a converter works with during one run.
struct ConverterContext
{
    ConverterContext(Variablen& state, ConversionSettings& settings, ScriptFile& script)
        : state(state)
        , settings(settings)
        , script(script)
    {}

    Variablen& state;
    ConversionSettings& settings;
    ScriptFile& script;

    CodeLineCache entityCodes;
    CodeLineCache vertexCodes;
    std::array<ParsedValue, 8> parsedValues{};
    // Positions in Entities of the VERTEX and SEQEND records, built on first use.
    std::optional<MonotoneTable> chainRecords;
    // Called now and then while a converter walks the whole table at once, so the
    // window may repaint; it must not read settings or write the script.
    std::function<void()> pause;
};

} // namespace vektrano
