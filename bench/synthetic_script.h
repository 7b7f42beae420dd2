#pragma once

#include <cstddef>
#include <string>

namespace vektrano::bench {

// An Eagle script of the given number of lines, in the forms both modes write:
// straight wires with long fractions, @radius arcs, circles, signed-sweep arcs
// and short chains, spread over a board of about 1 m.
std::string SyntheticScript(std::size_t lines);

} // namespace vektrano::bench
