#include "layer_map_dialog.h"

#include "board/layer_map.h"
#include "board/layer_suggestion.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <charconv>
#include <variant>

namespace vektrano {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct EagleLayerName
{
    int number;
    const char* name;
};

// The layers of a new Eagle board a drawing's parts usually go to.
constexpr std::array<EagleLayerName, 14> kEagleLayers = {{
    {1, "Top"},
    {16, "Bottom"},
    {20, "Dimension"},
    {21, "tPlace"},
    {22, "bPlace"},
    {25, "tNames"},
    {29, "tStop"},
    {39, "tKeepout"},
    {41, "tRestrict"},
    {46, "Milling"},
    {47, "Measures"},
    {48, "Document"},
    {49, "Reference"},
    {51, "tDocu"},
}};

const QString kTitle = QStringLiteral("Layer-Zuordnung");
const QString kMapFilter = QStringLiteral("Layer-Zuordnung|*.map");

// A number typed into the Eagle column, alone or before a name ("20", "20 Dimension").
std::optional<int> TypedLayer(const QString& typed)
{
    const std::string text = typed.trimmed().toStdString();
    int layer = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), layer);
    if (error != std::errc() || (end != text.data() + text.size() && *end != ' '))
        return std::nullopt;
    if (layer < 1 || layer > 255)
        return std::nullopt;
    return layer;
}

} // namespace

LayerMapDialog::LayerMapDialog(const LayerListing& listing, const LayerMapSetting& current,
                               const QString& drawingPath, FileDialog& files, MessageShow show,
                               QWidget* parent)
    : QDialog(parent)
    , files_(files)
    , show_(std::move(show))
    , drawingPath_(drawingPath)
{
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    const QString drawingName = QFileInfo(drawingPath).fileName();
    auto* heading = new QLabel(
        listing.layers.empty()
            ? QStringLiteral("Keine Layer gelesen (DXF Datei: %1). Eine Zuordnung kann trotzdem "
                             "geladen, bearbeitet und gespeichert werden.")
                  .arg(drawingName.isEmpty() ? QStringLiteral("keine") : drawingName)
            : QStringLiteral("Layer der DXF Datei %1. Ein Layer ohne Regel geht auf den Layer "
                             "des Feldes \u201eEagle Layer\u201c, eine leere Breite ist die "
                             "Linienstärke des Fensters.")
                  .arg(drawingName),
        this);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("Tbl_Layer"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("DXF-Layer"), QStringLiteral("Inhalt"), QStringLiteral("Eagle-Layer"),
         QStringLiteral("Art"), QStringLiteral("Bohrung (mm)"), QStringLiteral("Breite (mm)")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(kContentColumn, QHeaderView::Stretch);
    layout->addWidget(table_);

    for (const LayerContent& layer : listing.layers) {
        const std::string summary = LayerContentSummary(layer);
        AddRow({layer.name, summary}, FromUtf8(summary));
    }
    listed_ = rows_.size();

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const QString& text, const QString& name, auto handler) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
        return button;
    };
    addButton(QStringLiteral("Vorschlag"), QStringLiteral("Btn_Vorschlag"),
              &LayerMapDialog::Btn_Vorschlag_Click);
    addButton(QStringLiteral("Laden…"), QStringLiteral("Btn_Laden"),
              &LayerMapDialog::Btn_Laden_Click);
    addButton(QStringLiteral("Speichern…"), QStringLiteral("Btn_Speichern"),
              &LayerMapDialog::Btn_Speichern_Click);
    addButton(QStringLiteral("Keine Zuordnung"), QStringLiteral("Btn_Keine_Zuordnung"),
              &LayerMapDialog::Btn_Keine_Zuordnung_Click);
    buttons->addStretch();
    addButton(QStringLiteral("OK"), QStringLiteral("Btn_OK"), &LayerMapDialog::Btn_OK_Click)
        ->setDefault(true);
    addButton(QStringLiteral("Abbrechen"), QStringLiteral("Btn_Abbrechen"), &QDialog::reject);
    layout->addLayout(buttons);

    sourceOrigin_ = current.origin;
    if (!current.text.empty()) {
        auto parsed = ParseLayerMap(current.text, current.origin);
        if (const auto* map = std::get_if<LayerMap>(&parsed)) {
            ApplyMap(*map);
            sourceText_ = current.text;
            unchangedText_ = MapText();
        } else {
            Show(std::get<std::string>(parsed), Icon::Critical);
            Btn_Vorschlag_Click();
        }
    } else {
        // A first map starts as vektrano-cli --list-layers writes it.
        Btn_Vorschlag_Click();
    }

    table_->resizeColumnsToContents();
    // A cell's combo box is no item, so the columns learn its width here: the
    // longest entry and the box's arrow.
    const QFontMetrics metrics = table_->fontMetrics();
    const int arrow = 2 * metrics.height();
    table_->setColumnWidth(kEagleColumn,
                           metrics.horizontalAdvance(QStringLiteral("nicht übernehmen")) + arrow);
    table_->setColumnWidth(kKindColumn,
                           metrics.horizontalAdvance(QStringLiteral("flaechen")) + arrow);
    table_->setColumnWidth(kDrillColumn,
                           metrics.horizontalAdvance(QStringLiteral("Bohrung (mm)")) + arrow);
    table_->setColumnWidth(kWidthColumn,
                           metrics.horizontalAdvance(QStringLiteral("Linienstärke")) + arrow);
    table_->horizontalHeader()->setSectionResizeMode(kContentColumn, QHeaderView::Stretch);
    table_->setCurrentCell(-1, -1);
    // Tall enough for a dozen rows without scrolling, never taller than the screen.
    const int rows = std::clamp(table_->rowCount(), 4, 12);
    resize(960, sizeHint().height() - table_->sizeHint().height() +
                    table_->horizontalHeader()->sizeHint().height() +
                    rows * table_->verticalHeader()->defaultSectionSize() + 4 * metrics.height());
}

LayerMapDialog::~LayerMapDialog() = default;

void LayerMapDialog::AddRow(const Row& row, const QString& content)
{
    const int at = table_->rowCount();
    table_->insertRow(at);
    rows_.push_back(row);
    auto fixed = [](const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled);
        return item;
    };
    table_->setItem(at, kLayerColumn, fixed(FromUtf8(row.pattern)));
    table_->setItem(at, kContentColumn, fixed(content));

    auto* eagle = new QComboBox;
    eagle->setEditable(true);
    eagle->setInsertPolicy(QComboBox::NoInsert);
    eagle->addItem(QStringLiteral("Feld Eagle Layer"), kFieldLayer);
    eagle->addItem(QStringLiteral("nicht übernehmen"), kOffLayer);
    for (const EagleLayerName& layer : kEagleLayers)
        eagle->addItem(QString::number(layer.number) + QLatin1Char(' ') +
                           QString::fromLatin1(layer.name),
                       layer.number);
    eagle->setToolTip(QStringLiteral("Eagle-Layer aus der Liste oder eine Zahl von 1 bis 255"));
    table_->setCellWidget(at, kEagleColumn, eagle);

    auto* kind = new QComboBox;
    for (const LayerKind k : {LayerKind::Lines, LayerKind::Contour, LayerKind::Holes,
                              LayerKind::Texts, LayerKind::Areas, LayerKind::All})
        kind->addItem(FromUtf8(LayerKindWord(k)), static_cast<int>(k));
    table_->setCellWidget(at, kKindColumn, kind);

    auto* drills = new QLineEdit;
    drills->setToolTip(QStringLiteral("Durchmesser MIN-MAX in mm, etwa 0.5-8; leer: alle Kreise"));
    table_->setCellWidget(at, kDrillColumn, drills);
    auto* width = new QLineEdit;
    width->setToolTip(QStringLiteral("Breite in mm; leer: die Linienstärke des Fensters"));
    table_->setCellWidget(at, kWidthColumn, width);

    // Each row's widgets find their row through rows_' order, which only grows
    // at the end or loses its kept rules there, so the index stays right.
    connect(eagle, &QComboBox::currentTextChanged, this, [this, at] { EnableColumns(at); });
    connect(kind, &QComboBox::currentIndexChanged, this, [this, at] { EnableColumns(at); });
    SetRow(at, nullptr);
}

QComboBox* LayerMapDialog::EagleBox(int row) const
{
    return static_cast<QComboBox*>(table_->cellWidget(row, kEagleColumn));
}

QComboBox* LayerMapDialog::KindBox(int row) const
{
    return static_cast<QComboBox*>(table_->cellWidget(row, kKindColumn));
}

QLineEdit* LayerMapDialog::Entry(int row, Column column) const
{
    return static_cast<QLineEdit*>(table_->cellWidget(row, column));
}

void LayerMapDialog::SetEagleLayer(int row, int layer)
{
    QComboBox* box = EagleBox(row);
    const int index = box->findData(layer);
    if (index >= 0) {
        box->setCurrentIndex(index);
        return;
    }
    box->setCurrentIndex(-1);
    box->setEditText(QString::number(layer));
}

void LayerMapDialog::SetRow(int row, const LayerRule* rule)
{
    SetEagleLayer(row, !rule ? kFieldLayer : rule->eagleLayer ? *rule->eagleLayer : kOffLayer);
    const LayerKind kind = rule ? rule->kind : LayerKind::Lines;
    KindBox(row)->setCurrentIndex(KindBox(row)->findData(static_cast<int>(kind)));
    QString drills;
    if (rule && rule->drills) {
        // The range as the map file writes it: the end of the kind's column.
        LayerRule bare;
        bare.pattern = rule->pattern;
        bare.eagleLayer = 1;
        bare.kind = LayerKind::Holes;
        bare.drills = rule->drills;
        const std::string text = LayerRuleText(bare);
        drills = FromUtf8(std::string_view(text).substr(text.rfind(':') + 1));
    }
    Entry(row, kDrillColumn)->setText(drills);
    Entry(row, kWidthColumn)->setText(rule ? FromUtf8(rule->width) : QString());
    EnableColumns(row);
}

std::optional<int> LayerMapDialog::EagleLayer(int row) const
{
    const QComboBox* box = EagleBox(row);
    const int index = box->findText(box->currentText());
    if (index >= 0)
        return box->itemData(index).toInt();
    return TypedLayer(box->currentText());
}

void LayerMapDialog::EnableColumns(int row)
{
    if (row >= table_->rowCount() || !KindBox(row))
        return;
    const std::optional<int> layer = EagleLayer(row);
    const bool drawn = !layer || (*layer != kFieldLayer && *layer != kOffLayer);
    KindBox(row)->setEnabled(drawn);
    Entry(row, kWidthColumn)->setEnabled(drawn);
    const bool holes =
        drawn && KindBox(row)->currentData().toInt() == static_cast<int>(LayerKind::Holes);
    Entry(row, kDrillColumn)->setEnabled(holes);
    Entry(row, kDrillColumn)->setPlaceholderText(holes ? QStringLiteral("alle Kreise") : QString());
    Entry(row, kWidthColumn)
        ->setPlaceholderText(drawn ? QStringLiteral("Linienstärke") : QString());
}

std::optional<std::string> LayerMapDialog::MapText()
{
    LayerMap map;
    std::vector<std::string> comments;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const Row& source = rows_[static_cast<std::size_t>(row)];
        const std::string shownName = "DXF-Layer \u201e" + source.pattern + "\u201c: ";
        const std::optional<int> layer = EagleLayer(row);
        if (!layer) {
            Show(shownName + "Eagle-Layer \u201e" + EagleBox(row)->currentText().toStdString() +
                     "\u201c ist weder ein Layer der Liste noch eine Zahl von 1 bis 255",
                 Icon::Critical);
            return std::nullopt;
        }
        if (*layer == kFieldLayer)
            continue;
        LayerRule rule;
        if (*layer != kOffLayer) {
            // The other columns go through the map file's own parser, so the window
            // takes exactly what a file may say.
            std::string text = "x " + std::to_string(*layer) + ' ' +
                               std::string(LayerKindWord(
                                   static_cast<LayerKind>(KindBox(row)->currentData().toInt())));
            const QString drills = Entry(row, kDrillColumn)->text().trimmed();
            if (Entry(row, kDrillColumn)->isEnabled() && !drills.isEmpty())
                text += ':' + drills.toStdString();
            const QString width = Entry(row, kWidthColumn)->text().trimmed();
            if (!width.isEmpty())
                text += ' ' + width.toStdString();
            const std::string prefix = "Layer-Zuordnung --map \"" + text + "\": ";
            auto parsed = ParseMapOptions(std::span<const std::string>(&text, 1));
            if (auto* error = std::get_if<std::string>(&parsed)) {
                Show(shownName +
                         (error->starts_with(prefix) ? error->substr(prefix.size()) : *error),
                     Icon::Critical);
                return std::nullopt;
            }
            rule = std::move(std::get<LayerMap>(parsed).rules.front());
        }
        rule.pattern = source.pattern;
        map.rules.push_back(std::move(rule));
        comments.push_back(source.comment);
    }
    return WriteLayerMap(map, comments);
}

void LayerMapDialog::ApplyMap(const LayerMap& map)
{
    while (rows_.size() > listed_) {
        rows_.pop_back();
        table_->removeRow(table_->rowCount() - 1);
    }
    std::vector<bool> decides(map.rules.size(), false);
    for (std::size_t row = 0; row < listed_; ++row) {
        const LayerRule* rule = map.Match(rows_[row].pattern);
        if (rule)
            decides[static_cast<std::size_t>(rule - map.rules.data())] = true;
        SetRow(static_cast<int>(row), rule);
    }
    // Behind the layers' own rules a kept rule changes nothing for this drawing,
    // and still does its part for the next one.
    for (std::size_t i = 0; i < map.rules.size(); ++i) {
        if (decides[i])
            continue;
        AddRow({map.rules[i].pattern, {}},
               QStringLiteral("Regel der Zuordnung, trifft keinen Layer dieser Zeichnung"));
        SetRow(table_->rowCount() - 1, &map.rules[i]);
    }
}

void LayerMapDialog::MarkUnchanged(std::string text, std::string origin)
{
    unchangedText_ = MapText();
    sourceText_ = std::move(text);
    sourceOrigin_ = std::move(origin);
}

void LayerMapDialog::Show(const std::string& text, Icon icon) const
{
    show_(FromUtf8(text), kTitle, icon);
}

QString LayerMapDialog::MapStartPath() const
{
    if (!sourceText_.empty() && sourceOrigin_ != kWindowMapOrigin)
        return FromUtf8(sourceOrigin_);
    if (drawingPath_.isEmpty())
        return {};
    const QFileInfo drawing(drawingPath_);
    return drawing.dir().filePath(drawing.completeBaseName() + QStringLiteral(".map"));
}

void LayerMapDialog::Btn_Vorschlag_Click()
{
    for (std::size_t row = 0; row < listed_; ++row) {
        const LayerSuggestion suggestion = SuggestLayer(rows_[row].pattern);
        LayerRule rule;
        rule.eagleLayer = suggestion.eagleLayer;
        rule.kind = suggestion.kind;
        SetRow(static_cast<int>(row), &rule);
    }
}

void LayerMapDialog::Btn_Laden_Click()
{
    files_.SetFilter(kMapFilter);
    files_.SetDefaultExt(QStringLiteral("map"));
    files_.SetTitle(QStringLiteral("Layer-Zuordnung laden"));
    files_.SetStartPath(MapStartPath());
    if (!files_.ShowOpen())
        return;
    const QString path = files_.FileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Show("Layer-Zuordnung kann nicht gelesen werden: " + path.toStdString(), Icon::Critical);
        return;
    }
    std::string text = file.readAll().toStdString();
    auto parsed = ParseLayerMap(text, path.toStdString());
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        Show(*error, Icon::Critical);
        return;
    }
    ApplyMap(std::get<LayerMap>(parsed));
    MarkUnchanged(std::move(text), path.toStdString());
}

void LayerMapDialog::Btn_Speichern_Click()
{
    std::optional<std::string> text = MapText();
    if (!text)
        return;
    files_.SetFilter(kMapFilter);
    files_.SetDefaultExt(QStringLiteral("map"));
    files_.SetTitle(QStringLiteral("Layer-Zuordnung speichern"));
    files_.SetStartPath(MapStartPath());
    if (!files_.ShowSave())
        return;
    const QString path = files_.FileName();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(text->data(), static_cast<qint64>(text->size())) !=
            static_cast<qint64>(text->size()) ||
        !file.flush()) {
        Show("Layer-Zuordnung kann nicht geschrieben werden: " + path.toStdString(),
             Icon::Critical);
        return;
    }
    MarkUnchanged(std::move(*text), path.toStdString());
}

void LayerMapDialog::Btn_Keine_Zuordnung_Click()
{
    // The map last remembered, loaded or saved stays for the next visit; START
    // leaves it aside. Edits since then are dropped, as by Abbrechen.
    chosen_ = {false, sourceText_, sourceOrigin_};
    accept();
}

void LayerMapDialog::Btn_OK_Click()
{
    std::optional<std::string> text = MapText();
    if (!text)
        return;
    if (text == unchangedText_)
        chosen_ = {true, sourceText_, sourceOrigin_};
    else
        chosen_ = {true, std::move(*text), std::string(kWindowMapOrigin)};
    accept();
}

} // namespace vektrano
