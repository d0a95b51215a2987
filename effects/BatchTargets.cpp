#include "effects/BatchTargets.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <stdexcept>

namespace {

[[noreturn]] void Refuse(const char *AText, const QString &APath)
{
    throw std::runtime_error(QString::fromUtf8(AText).arg(APath).toStdString());
}

} // namespace

bool IsSameFile(const QString &A, const QString &B)
{
    const QFileInfo a(A), b(B);
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return QDir::cleanPath(a.absoluteFilePath()) == QDir::cleanPath(b.absoluteFilePath());
}

QStringList BatchTargets(const QStringList &AInputs, const QString &AEffectItem, const QString &AFolder,
                         const QString &AFormat)
{
    const QDir folder(QFileInfo(AFolder).absoluteFilePath());
    QStringList targets;
    QSet<QString> taken;
    for (const QString &input : AInputs) {
        const QString name =
            QFileInfo(input).completeBaseName() + QStringLiteral(" - ") + AEffectItem + QLatin1Char('.') + AFormat;
        const QString path = folder.filePath(name);
        if (taken.contains(path))
            Refuse("Two inputs would be saved to the same file \"%1\".", path);
        for (const QString &other : AInputs)
            if (IsSameFile(path, other))
                Refuse("The output \"%1\" is an input itself; it would be lost.", path);
        taken.insert(path);
        targets.append(path);
    }
    return targets;
}
