#pragma once

#include "cli/memory_window.h"
#include "state/variablen.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vektrano::bench {

// Which entities a generated drawing holds. Mixed cycles through all four kinds
// plus an unknown TEXT group, roughly in the proportions of a real board outline.
enum class Mix { Mixed, Lines, Circles, Arcs, Polylines };

// A complete drawing with an ENTITIES section and "EOF": entities groups of the
// given mix, coordinates varied so that the numbers are not all alike.
std::string SyntheticDrawing(std::size_t entities, Mix mix, std::string_view eol = "\r\n");

// One LINE whose body is count pairs "8 / LINE": every value "LINE" is an entity
// whose range runs to the same far "0" code.
std::string SharedEndDrawing(std::size_t count);

// count distinct unknown names after "0" codes.
std::string ManyNamesDrawing(std::size_t count);

// Loads text into state the way the run does: cut at eol and shifted.
void LoadText(Variablen& state, std::string text, std::string_view eol = "\r\n");

// The scan's starting point, as the run sets it before each scan.
void ResetForScan(Variablen& state);

} // namespace vektrano::bench
