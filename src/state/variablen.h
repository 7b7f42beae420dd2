#pragma once

#include "entity_record.h"
#include "line_table.h"
#include "unknown_tally.h"
#include "work_slot.h"

#include <cstddef>
#include <deque>
#include <string>

namespace vektrano {

// The program's shared state: one instance for the program's life, owned by the
// program and handed to every run. Each run resets the tables, the tally and the
// counters; the work slots and FirstVertex are deliberately never cleared, so a
// value carries from one entity, and one run, to the next.
struct Variablen
{
    Variablen() = default;
    // Lines views FileText: a copy or a move would read the old text.
    Variablen(const Variablen&) = delete;
    Variablen& operator=(const Variablen&) = delete;

    std::string FileText;
    LineTable Lines;
    // A deque grows without moving what it holds, so a table of a million
    // entities never stands in memory twice while it grows.
    std::deque<EntityRecord> Entities{EntityRecord{}};

    std::size_t LineIndex = 0;

    UnknownTally UnknownList;

    long long CountLine = 0;
    long long CountCircle = 0;
    long long CountArc = 0;
    long long CountPolyline = 0;
    long long ConvLine = 0;
    long long ConvCircle = 0;
    long long ConvArc = 0;
    long long ConvPolyline = 0;

    WorkSlot X1, Y1, X2, Y2, W5;

    double MinX = 9999999;
    double MinY = 9999999;

    bool FirstVertex = false;
};

} // namespace vektrano
