#include "cli/help_text.h"
#include "cli_arguments.h"
#include "cli_output.h"
#include "run/layer_listing_run.h"
#include "run/version.h"
#include "stop_signals.h"

#include <cstdio>

using namespace vektrano;

namespace {

// A layer map for the drawing on standard output, ready to edit; no script.
int ListLayers(const std::string& dxf)
{
    const auto listing = ReadLayerListing(dxf);
    if (const auto* error = std::get_if<std::string>(&listing)) {
        std::fprintf(stderr, "Fehler: %s\n", error->c_str());
        return 1;
    }
    const std::size_t slash = dxf.find_last_of('/');
    const std::string map = LayerListingMap(
        std::get<LayerListing>(listing), slash == std::string::npos ? dxf : dxf.substr(slash + 1));
    std::fwrite(map.data(), 1, map.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const ParsedArguments parsed = ParseArguments(argc, argv);
    switch (parsed.action) {
    case ParsedArguments::Action::Help:
        std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
        return 0;
    case ParsedArguments::Action::Version:
        std::puts(WindowTitle("Vektrano Converter").c_str());
        return 0;
    case ParsedArguments::Action::UsageError:
        std::fprintf(stderr, "vektrano-cli: %s\n%.*s\nTry 'vektrano-cli --help' for more.\n",
                     parsed.error.c_str(), static_cast<int>(kUsageLine.size()), kUsageLine.data());
        return 2;
    case ParsedArguments::Action::Run: break;
    }

    if (parsed.options.listLayers)
        return ListLayers(parsed.options.dxf);

    MemoryWindow window;
    ApplyOptions(parsed.options, window);
    TerminalProgress progress(stderr);
    window.onProgress = [&progress](float value) { progress.Show(value); };
    window.onMessage = [&progress](const MemoryWindow::Message& message) {
        progress.Clear();
        std::fputs(MessageLine(message).c_str(), stderr);
    };
    CatchStopSignals();
    window.onYield = [] { return StopSignal() == 0; };
    Variablen state;
    const RunOutcome outcome = RunConversion(window, state, parsed.options.conversion);
    progress.Clear();
    if (const int signal = StopSignal()) {
        std::fputs(SignalLine(signal, outcome).c_str(), stderr);
        return 128 + signal;
    }
    return FinishRun(parsed.options, window, outcome);
}
