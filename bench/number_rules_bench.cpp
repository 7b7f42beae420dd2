#include "script/number_rules.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace vektrano {
namespace {

// Values as drawings carry them: short and long fractions, negatives, the odd
// exponent and a comma from a German exporter.
const std::vector<std::string>& ValueTexts()
{
    static const std::vector<std::string> texts = {
        "0.0",      "12.5",         "-100.0",  "280.481222", "94.9044035105671",
        "  33.165", "-0.000123",    "1.5E+20", "12,5",       "195.576717500652",
        "3.0",      "359.99999999", "-42.04",  "7",          "0.25 ",
        "2.75e-3"};
    return texts;
}

std::vector<double> Values()
{
    std::vector<double> values;
    for (const auto& text : ValueTexts())
        values.push_back(*ReadDxfNumber(text));
    values.push_back(1.0 / 3);
    values.push_back(-0.0);
    return values;
}

void BM_ReadDxfNumber(benchmark::State& state)
{
    const auto& texts = ValueTexts();
    for (auto _ : state)
        for (const auto& text : texts)
            benchmark::DoNotOptimize(ReadDxfNumber(text));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_ReadDxfNumber);

// Scan lines that are not numbers are read too (the tally asks), so rejection
// must be cheap as well.
void BM_ReadDxfNumberRejects(benchmark::State& state)
{
    const std::vector<std::string> texts = {"SECTION", "ENTITIES", "LINE", "", "1.2.3", "AcDbLine"};
    for (auto _ : state)
        for (const auto& text : texts)
            benchmark::DoNotOptimize(ReadDxfNumber(text));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_ReadDxfNumberRejects);

void BM_NumberText(benchmark::State& state)
{
    const auto values = Values();
    for (auto _ : state)
        for (double value : values)
            benchmark::DoNotOptimize(NumberText(value));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_NumberText);

void BM_WriteNumberText(benchmark::State& state)
{
    const auto values = Values();
    char buffer[kMaxNumberText];
    for (auto _ : state)
        for (double value : values) {
            benchmark::DoNotOptimize(WriteNumberText(buffer, value));
            benchmark::ClobberMemory();
        }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_WriteNumberText);

} // namespace
} // namespace vektrano
