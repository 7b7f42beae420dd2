#include "layer_map_setting.h"

#include <QSettings>

namespace vektrano {

namespace {

const QString kInUseKey = QStringLiteral("LayerZuordnung/Aktiv");
const QString kTextKey = QStringLiteral("LayerZuordnung/Text");
const QString kOriginKey = QStringLiteral("LayerZuordnung/Herkunft");

} // namespace

LayerMapSetting ReadLayerMapSetting()
{
    const QSettings settings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano"));
    LayerMapSetting setting;
    setting.inUse = settings.value(kInUseKey, false).toBool();
    // Bytes, not a QString: a loaded file may spell a layer name in another code
    // page, and the run must read exactly what the CLI would read from it.
    setting.text = settings.value(kTextKey).toByteArray().toStdString();
    setting.origin = settings.value(kOriginKey).toString().toStdString();
    if (setting.text.empty())
        setting.inUse = false;
    return setting;
}

void WriteLayerMapSetting(const LayerMapSetting& setting)
{
    QSettings settings(QStringLiteral("Vektrano"), QStringLiteral("Vektrano"));
    settings.setValue(kInUseKey, setting.inUse);
    settings.setValue(kTextKey, QByteArray::fromStdString(setting.text));
    settings.setValue(kOriginKey, QString::fromStdString(setting.origin));
}

} // namespace vektrano
