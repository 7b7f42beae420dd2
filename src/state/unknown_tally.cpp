#include "unknown_tally.h"

namespace vektrano {

void UnknownTally::Count(std::string_view name)
{
    if (auto found = index_.find(name); found != index_.end()) {
        ++rows_[found->second].count;
        return;
    }
    rows_.push_back({std::string(name), 1});
    index_.emplace(rows_.back().name, rows_.size() - 1);
}

void UnknownTally::Clear()
{
    index_.clear();
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
