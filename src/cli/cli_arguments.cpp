#include "cli_arguments.h"

#include "run/script_path.h"
#include "run/window_settings.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vektrano {

namespace {

std::optional<double> ReadPlainNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

// The --map rules first, then the file's: the first rule that matches wins.
std::variant<LayerMap, std::string> ReadLayerMapOptions(const std::optional<std::string>& file,
                                                        const std::vector<std::string>& rules)
{
    auto options = ParseMapOptions(rules);
    if (std::holds_alternative<std::string>(options) || !file)
        return options;
    std::ifstream in(*file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return "Layer-Zuordnung kann nicht gelesen werden: " + *file;
    if (!in.is_open())
        return "Layer-Zuordnung kann nicht gelesen werden: " + *file;
    auto map = ParseLayerMap(text, *file);
    if (std::holds_alternative<std::string>(map))
        return map;
    return JoinMaps(std::move(std::get<LayerMap>(options)), std::move(std::get<LayerMap>(map)));
}

} // namespace

ParsedArguments ParseArguments(int argc, const char* const argv[])
{
    ParsedArguments result;
    CliOptions& o = result.options;

    CLI::App app;
    // CLI11 answers both before it checks the required DXF argument; the texts
    // themselves come from the caller, the help from the manual page.
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version");

    app.add_option("DXF", o.dxf)->required();
    std::optional<std::string> scr;
    app.add_option("SCR", scr);
    // A repeated option takes its last value, as most command-line tools do.
    auto text = [&app](const char* name, std::optional<std::string>& target) {
        app.add_option(name, target)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    };
    text("--layer", o.layer);
    text("--width", o.width);
    text("--offset-x", o.offsetX);
    text("--offset-y", o.offsetY);
    text("--log", o.logFile);
    text("--svg", o.svgFile);
    app.add_flag("--auto-offset", o.autoOffset);
    app.add_flag("--no-line", o.noLine);
    app.add_flag("--no-arc", o.noArc);
    app.add_flag("--no-circle", o.noCircle);
    app.add_flag("--no-polyline", o.noPolyline);
    app.add_flag("-q,--quiet", o.quiet);
    app.add_flag("--full-geometry", o.conversion.fullGeometry);
    std::optional<std::string> drawingUnit;
    text("--drawing-unit", drawingUnit);
    std::optional<std::string> tolerance;
    text("--tolerance", tolerance);
    app.add_flag("--list-layers", o.listLayers);
    std::optional<std::string> layerMap;
    text("--layer-map", layerMap);
    std::vector<std::string> mapRules;
    app.add_option("--map", mapRules)->allow_extra_args(false);
    std::optional<std::string> weldTolerance;
    text("--weld-tolerance", weldTolerance);
    std::optional<std::string> textRatio;
    text("--text-ratio", textRatio);

    // "--width=" means the empty text, as GNU tools read it; CLI11 would take the
    // next argument as the value, so the empty value goes in as an argument of
    // its own.
    std::vector<std::string> args;
    for (int i = argc - 1; i > 0; --i) {
        const std::string_view arg = argv[i];
        if (arg.size() > 3 && arg.substr(0, 2) == "--" && arg.back() == '=' &&
            arg.find('=') == arg.size() - 1) {
            args.emplace_back();
            args.emplace_back(arg.substr(0, arg.size() - 1));
        } else {
            args.emplace_back(arg);
        }
    }

    try {
        app.parse(std::move(args));
    } catch (const CLI::CallForHelp&) {
        result.action = ParsedArguments::Action::Help;
        return result;
    } catch (const CLI::CallForVersion&) {
        result.action = ParsedArguments::Action::Version;
        return result;
    } catch (const CLI::ParseError& error) {
        result.error = error.what();
        return result;
    }

    // An empty path would make the run return without a word; say so instead.
    if (o.dxf.empty()) {
        result.error = "DXF is empty";
        return result;
    }
    if (scr && scr->empty()) {
        result.error = "SCR is empty";
        return result;
    }
    if (drawingUnit) {
        o.conversion.drawingUnit = UnitOfName(*drawingUnit);
        if (!o.conversion.drawingUnit) {
            result.error =
                "--drawing-unit: " + *drawingUnit + " is not one of mm, cm, m, inch, mil, foot";
            return result;
        }
    }
    if (tolerance) {
        const auto value = ReadPlainNumber(*tolerance);
        if (!value || !(*value >= 0.0001 && *value <= 1)) {
            result.error = "--tolerance: " + *tolerance + " is not a number from 0.0001 to 1";
            return result;
        }
        o.conversion.tolerance = *value;
    }
    if (weldTolerance) {
        const auto value = ReadPlainNumber(*weldTolerance);
        if (!value || !(*value >= 0 && *value <= 1)) {
            result.error = "--weld-tolerance: " + *weldTolerance + " is not a number from 0 to 1";
            return result;
        }
        o.conversion.weldTolerance = *value;
    }
    if (layerMap || !mapRules.empty()) {
        auto map = ReadLayerMapOptions(layerMap, mapRules);
        if (auto* error = std::get_if<std::string>(&map)) {
            result.error = *error;
            return result;
        }
        o.conversion.layerMap = std::move(std::get<LayerMap>(map));
        o.conversion.layerMapOrigin =
            layerMap ? *layerMap + (mapRules.empty() ? "" : " und --map") : "--map";
        o.conversion.fullGeometry = true;
    }
    if (textRatio) {
        int value = 0;
        const char* end = textRatio->data() + textRatio->size();
        const auto [stop, error] = std::from_chars(textRatio->data(), end, value);
        if (error != std::errc{} || stop != end || value < 0 || value > 31) {
            result.error = "--text-ratio: " + *textRatio + " is not a whole number from 0 to 31";
            return result;
        }
        o.conversion.textRatio = value;
    }
    if (o.svgFile && o.svgFile->empty()) {
        result.error = "SVG is empty";
        return result;
    }
    o.scr = scr ? *scr : ScriptPathFor(o.dxf);
    // A line break in a field would reach the script or the log as a line of its own.
    const std::pair<const char*, const std::optional<std::string>*> fields[] = {
        {"--layer", &o.layer},
        {"--width", &o.width},
        {"--offset-x", &o.offsetX},
        {"--offset-y", &o.offsetY},
        {"--log", &o.logFile}};
    for (const auto& [name, field] : fields) {
        if (*field && HasControlCharacter(**field)) {
            result.error = std::string(name) + " enthält ein Steuerzeichen";
            return result;
        }
    }
    if (HasControlCharacter(o.dxf) || HasControlCharacter(o.scr)) {
        result.error = "Steuerzeichen in einem Dateipfad";
        return result;
    }
    // What the window's key filter does to every typed comma.
    if (o.width)
        std::replace(o.width->begin(), o.width->end(), ',', '.');
    result.action = ParsedArguments::Action::Run;
    return result;
}

void ApplyOptions(const CliOptions& options, MemoryWindow& window)
{
    window.SetField(Field::Txt_DXF, options.dxf);
    window.SetField(Field::Txt_SCR, options.scr);
    auto set = [&window](Field field, const std::optional<std::string>& text) {
        if (text)
            window.SetField(field, *text);
    };
    set(Field::Txt_Layer, options.layer);
    set(Field::Txt_Linienstärke, options.width);
    set(Field::Txt_Offset_X, options.offsetX);
    set(Field::Txt_Offset_Y, options.offsetY);
    if (options.autoOffset)
        window.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    if (options.noLine)
        window.SetCheckBox(CheckBox::Chk_Line, 0);
    if (options.noArc)
        window.SetCheckBox(CheckBox::Chk_Arc, 0);
    if (options.noCircle)
        window.SetCheckBox(CheckBox::Chk_Circle, 0);
    if (options.noPolyline)
        window.SetCheckBox(CheckBox::Chk_Polyline, 0);
}

} // namespace vektrano
