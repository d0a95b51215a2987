#include "gui/AppIcon.h"

QIcon AppIcon()
{
    Q_INIT_RESOURCE(tonara_images);
    QIcon icon;
    for (const char *size : {"48", "128", "256"})
        icon.addFile(QStringLiteral(":/images/tonara-%1.png").arg(QLatin1String(size)));
    return icon;
}
