#include "effects/SourceForRun.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

QString SourceForRun(const QString &AInput, const QString &AWorkFile)
{
    const QFileInfo input(AInput);
    const QFileInfo work(AWorkFile);
    if (!input.exists() || !work.exists() || input.canonicalFilePath() != work.canonicalFilePath())
        return AInput;
    const QString copy =
        work.path() + QLatin1Char('/') + work.completeBaseName() + QStringLiteral("-source.") + work.suffix();
    QFile::remove(copy);
    if (!QFile::copy(AWorkFile, copy))
        throw std::runtime_error(
            QStringLiteral("Cannot copy the last result to \"%1\" to process it again.").arg(copy).toStdString());
    return copy;
}
