#pragma once

#include <QStringList>

// The effects that can run live: every one but those that need their whole
// input before they give anything ("Reverse"). In list order.
QStringList LiveEffectItems();

// Whether AItemText names one of them (exactly as the list spells it).
bool RunsLive(const QString &AItemText);
