#pragma once

#include <QString>

namespace Platform {

// The user's own data folder ($XDG_DATA_HOME, else ~/.local/share), without a
// trailing '/'. It is created (for the user only) when missing, as the XDG rules
// ask: a fresh account may not have it yet. Empty when neither the variable nor
// a home folder is known.
QString UserDataFolder();

} // namespace Platform
