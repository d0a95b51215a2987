#pragma once

#include <QList>
#include <QString>

// An input device of the sound server: its name (what streams are opened
// with) and the description people see.
struct TSoundDevice
{
    QString Name;
    QString Description;
};

namespace SoundDevices {

// The inputs live voice can listen to, the server's default first: real
// sources only, neither a sink's monitor (that would feed the output back)
// nor Tonara's own microphone. Raises ESoundServerError without a server.
QList<TSoundDevice> Inputs();

} // namespace SoundDevices
