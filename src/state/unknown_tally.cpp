#include "unknown_tally.h"

#include <functional>
#include <limits>
#include <stdexcept>

namespace vektrano {

void UnknownTally::Count(std::string_view name)
{
    // The low half of the hash places the slot and is kept in it, so growing the
    // index never has to hash a name again.
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(name));
    if (!slots_.empty())
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    if (waitingCount_ == kAhead) {
        const Waiting& oldest = waiting_[waitingFirst_];
        Insert(oldest.name, oldest.hash);
        waitingFirst_ = (waitingFirst_ + 1) % kAhead;
        --waitingCount_;
    }
    Waiting& next = waiting_[(waitingFirst_ + waitingCount_) % kAhead];
    next.name.assign(name);
    next.hash = hash;
    ++waitingCount_;
}

void UnknownTally::Settle() const
{
    for (; waitingCount_ > 0; --waitingCount_) {
        const Waiting& oldest = waiting_[waitingFirst_];
        Insert(oldest.name, oldest.hash);
        waitingFirst_ = (waitingFirst_ + 1) % kAhead;
    }
}

void UnknownTally::Insert(std::string_view name, std::uint32_t hash) const
{
    if (rows_.size() * 2 >= slots_.size())
        Grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.row == 0) {
            if (rows_.size() >= std::numeric_limits<std::uint32_t>::max())
                throw std::length_error(
                    "Zu viele verschiedene unbekannte Befehle in der DXF Datei");
            rows_.push_back({std::string(name), 1});
            slot = {hash, static_cast<std::uint32_t>(rows_.size())};
            return;
        }
        if (slot.hash == hash && rows_[slot.row - 1].name == name) {
            ++rows_[slot.row - 1].count;
            return;
        }
    }
}

void UnknownTally::Grow() const
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
    waitingCount_ = 0;
    slots_ = {};
    rows_.clear();
}

std::string UnknownTally::EncodedText() const
{
    Settle();
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
