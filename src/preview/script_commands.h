#pragma once

#include "script_picture.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace vektrano {

class Tokens;

// Reads a script's commands one at a time, as Eagle would draw them on one
// layer, and keeps what a command leaves in force for the commands after it:
// the Grid unit and the Change width. Each command family has a member of its
// own; a new one is that member and one line in Read.
class CommandReader
{
public:
    // Reads one command, the text of script line `line` up to a ";", and adds
    // what it draws to shapes. False when the command cannot be shown; it then
    // adds nothing, though a Grid keeps a unit it read before the fault.
    bool Read(std::string_view command, std::size_t line, std::vector<Shape>& shapes);

private:
    bool ReadGrid(Tokens& tokens);
    bool ReadChange(Tokens& tokens);
    bool ReadWire(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes);
    bool ReadCircle(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes);
    // A width given before a command's first point, in grid units.
    bool ReadWidth(double value, double& width) const;

    double unit_ = 1;      // millimetres per grid unit
    double wireWidth_ = 0; // Change Width, in millimetres
};

} // namespace vektrano
