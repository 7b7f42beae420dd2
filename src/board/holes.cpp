#include "holes.h"

#include "geometry/spatial_hash.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

} // namespace

// A zero tolerance still needs cells of some size; identical centres share one.
HoleSet::HoleSet(double tolerance)
    : tolerance_(tolerance > 0 ? tolerance : 0)
    , cell_(tolerance > 0 ? tolerance * (1 + 1e-9) : 1e-6)
    , heads_(std::size_t{1} << bits_, kNone)
{}

void HoleSet::Insert(std::uint32_t index)
{
    const Point c = holes_[index].centre;
    std::uint32_t& head = heads_[BucketOf(CellOf(c.x, cell_), CellOf(c.y, cell_), bits_)];
    next_[index] = head;
    head = index;
}

bool HoleSet::Add(Point centre, double diameter, std::size_t id)
{
    const std::int64_t cx = CellOf(centre.x, cell_);
    const std::int64_t cy = CellOf(centre.y, cell_);
    const double reach = tolerance_ * tolerance_;
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::uint32_t k = heads_[BucketOf(cx + dx, cy + dy, bits_)]; k != kNone;
                 k = next_[k]) {
                const Hole& kept = holes_[k];
                const Point off = kept.centre - centre;
                if (Dot(off, off) <= reach && std::fabs(kept.diameter - diameter) <= tolerance_)
                    return false;
            }
        }
    }
    if (holes_.size() >= kNone - 1)
        return true; // beyond what a bucket list can index: written, not deduplicated
    holes_.push_back({centre, diameter, id});
    next_.push_back(kNone);
    if (holes_.size() * 2 > heads_.size() && bits_ < 31) {
        bits_ = BucketBits(holes_.size());
        heads_.assign(std::size_t{1} << bits_, kNone);
        for (std::uint32_t k = 0; k < holes_.size(); ++k)
            Insert(k);
    } else {
        Insert(static_cast<std::uint32_t>(holes_.size() - 1));
    }
    return true;
}

std::vector<DiameterCount> HoleSet::CountByDiameter() const
{
    std::vector<double> diameters;
    diameters.reserve(holes_.size());
    for (const Hole& hole : holes_)
        diameters.push_back(hole.diameter);
    std::sort(diameters.begin(), diameters.end());
    std::vector<DiameterCount> counts;
    for (double d : diameters) {
        if (counts.empty() || d - counts.back().diameter > tolerance_)
            counts.push_back({d, 0});
        ++counts.back().count;
    }
    return counts;
}

} // namespace vektrano
