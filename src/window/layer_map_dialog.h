#pragma once

#include "board/layer_listing.h"
#include "file_dialog.h"
#include "layer_map_setting.h"
#include "run/window_operations.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace vektrano {

struct LayerMap;
struct LayerRule;

// "Optionen → Layer-Zuordnung…": one row per layer of the drawing with the Eagle
// layer, kind, drill range and width its rule gives, then one row per rule of the
// map in use that decides none of those layers (a trailing "*", a layer of another
// drawing), kept so that saving writes it back. The rows are the map: what OK
// remembers is the text "Speichern…" writes, which vektrano-cli reads alike.
//
// No Q_OBJECT, like the main window: the handlers are plain members.
class LayerMapDialog final : public QDialog
{
public:
    using MessageShow = std::function<void(const QString& text, const QString& title, Icon icon)>;

    enum Column {
        kLayerColumn,
        kContentColumn,
        kEagleColumn,
        kKindColumn,
        kDrillColumn,
        kWidthColumn,
        kColumns
    };
    // The Eagle column's entries that are no layer number.
    static constexpr int kFieldLayer = -1; // no rule: the window's layer field, as linien
    static constexpr int kOffLayer = 0;    // "nicht übernehmen", written "aus"

    // drawingPath is the DXF field's text: the folder a map is saved to first.
    LayerMapDialog(const LayerListing& listing, const LayerMapSetting& current,
                   const QString& drawingPath, FileDialog& files, MessageShow show,
                   QWidget* parent = nullptr);
    ~LayerMapDialog() override;

    // The buttons.
    void Btn_Vorschlag_Click();
    void Btn_Laden_Click();
    void Btn_Speichern_Click();
    void Btn_Keine_Zuordnung_Click();
    void Btn_OK_Click();

    // What to remember once the dialog was accepted, by OK or "Keine Zuordnung".
    const LayerMapSetting& Chosen() const { return chosen_; }

    // The map file the rows give, as "Speichern…" writes it; nullopt after a
    // message naming the first row that is no rule.
    std::optional<std::string> MapText();

    QTableWidget* Table() const { return table_; }

private:
    struct Row
    {
        std::string pattern;
        std::string comment; // what a listed layer holds; empty for a kept rule
    };

    void AddRow(const Row& row, const QString& content);
    void SetRow(int row, const LayerRule* rule);
    void SetEagleLayer(int row, int layer);
    // The Eagle column as kFieldLayer, kOffLayer or 1..255; nullopt when typed wrong.
    std::optional<int> EagleLayer(int row) const;
    void EnableColumns(int row);
    void ApplyMap(const LayerMap& map);
    void MarkUnchanged(std::string text, std::string origin);
    void Show(const std::string& text, Icon icon) const;
    QString MapStartPath() const;
    QComboBox* EagleBox(int row) const;
    QComboBox* KindBox(int row) const;
    QLineEdit* Entry(int row, Column column) const;

    FileDialog& files_;
    MessageShow show_;
    QString drawingPath_;
    QTableWidget* table_ = nullptr;
    std::vector<Row> rows_;
    std::size_t listed_ = 0; // rows_ before this are the drawing's layers
    // The map as it was loaded, saved or remembered: while the rows still give
    // the text they gave then, OK keeps those bytes and their file as origin.
    std::optional<std::string> unchangedText_;
    std::string sourceText_;
    std::string sourceOrigin_;
    LayerMapSetting chosen_;
};

} // namespace vektrano
