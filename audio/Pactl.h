#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

// The sound server's own command-line client, which PulseAudio and PipeWire's
// PulseAudio server both answer. Raises ESoundServerError with a message for
// the user when there is no server or the command is refused.
namespace Pactl {

// Runs pactl with AArguments and returns what it printed.
QString Run(const QStringList &AArguments);

// "pactl list AWhat" (modules, sources, sinks, ...) as its JSON array.
QJsonArray List(const QString &AWhat);

} // namespace Pactl
