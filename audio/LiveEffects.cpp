#include "audio/LiveEffects.h"

#include "effects/EffectPresets.h"

namespace {

bool NeedsWholeInput(const TEffectPreset &APreset)
{
    return QLatin1String(APreset.Graph).startsWith(QLatin1String("areverse"));
}

} // namespace

QStringList LiveEffectItems()
{
    QStringList items;
    for (const TEffectPreset &preset : EffectPresets())
        if (!NeedsWholeInput(preset))
            items << QString::fromUtf8(preset.Item);
    return items;
}

bool RunsLive(const QString &AItemText)
{
    return LiveEffectItems().contains(AItemText);
}
