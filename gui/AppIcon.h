#pragma once

#include <QIcon>

// The program's icon in all its compiled-in sizes: the windows' icon and the
// picture of the about box.
QIcon AppIcon();
