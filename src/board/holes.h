#pragma once

#include "geometry/point.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vektrano {

struct Hole
{
    Point centre;
    double diameter = 0;
    std::size_t id = 0; // the caller's, e.g. the DXF line of the circle it came from
};

struct DiameterCount
{
    double diameter = 0;
    std::size_t count = 0;
};

// The drill holes of a run as their circles arrive in drawing order. A circle
// whose centre and diameter both lie within the tolerance of a hole kept
// already is the same hole (a drawing often holds a mounting hole twice, once
// per layer or block). Each Add costs about the same, however many holes came
// before.
class HoleSet
{
public:
    explicit HoleSet(double tolerance);

    // True when the circle is a new hole (write it), false when a kept hole
    // stands for it.
    bool Add(Point centre, double diameter, std::size_t id);

    const std::vector<Hole>& Holes() const { return holes_; }

    // How many holes per diameter, smallest first. Diameters within the tolerance
    // of a group's first one count with it.
    std::vector<DiameterCount> CountByDiameter() const;

private:
    void Insert(std::uint32_t index);

    double tolerance_;
    double cell_;
    unsigned bits_ = 4;
    std::vector<Hole> holes_;
    std::vector<std::uint32_t> heads_; // per bucket, the newest hole in it
    std::vector<std::uint32_t> next_;  // per hole, the one before it in its bucket
};

} // namespace vektrano
