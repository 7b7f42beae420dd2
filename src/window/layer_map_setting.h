#pragma once

#include <string>
#include <string_view>

namespace vektrano {

// The origin a map gets that was made or changed in the layer dialog and saved
// nowhere since: the log and a map error name it where they would name a file.
inline constexpr std::string_view kWindowMapOrigin = "Fenster";

// The layer map START uses, kept in the user's settings between starts. Switched
// off, the text stays, so the dialog shows it again next time.
struct LayerMapSetting
{
    bool inUse = false;
    std::string text;   // a map file's bytes, as "Speichern…" writes them or "Laden…" read them
    std::string origin; // the file the text is, or kWindowMapOrigin
};

LayerMapSetting ReadLayerMapSetting();
void WriteLayerMapSetting(const LayerMapSetting& setting);

} // namespace vektrano
