#include "unknown_tally.h"

#include <functional>

namespace vektrano {

void UnknownTally::Count(std::string_view name)
{
    if (rows_.size() * 2 >= slots_.size())
        Grow();
    const std::size_t hash = std::hash<std::string_view>{}(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.row == 0) {
            rows_.push_back({std::string(name), 1});
            slot = {hash, rows_.size()};
            return;
        }
        if (slot.hash == hash && rows_[slot.row - 1].name == name) {
            ++rows_[slot.row - 1].count;
            return;
        }
    }
}

void UnknownTally::Grow()
{
    std::vector<Slot> grown(slots_.empty() ? 64 : slots_.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.row == 0)
            continue;
        std::size_t i = slot.hash & mask;
        while (grown[i].row != 0)
            i = (i + 1) & mask;
        grown[i] = slot;
    }
    slots_ = std::move(grown);
}

void UnknownTally::Clear()
{
    slots_ = {};
    rows_.clear();
}

std::string UnknownTally::EncodedText() const
{
    if (rows_.empty())
        return {};
    std::string text = "||";
    for (const auto& row : rows_) {
        text += row.name;
        text += "##";
        text += std::to_string(row.count);
        text += "||";
    }
    return text;
}

} // namespace vektrano
