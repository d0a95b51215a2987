#include "effects/SoundFileSet.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

TSoundFileSet TSoundFileSet::Gather(const QStringList &APaths)
{
    TSoundFileSet set;
    for (const QString &path : APaths)
        set.Take(path);
    return set;
}

bool TSoundFileSet::IsSoundFileName(const QString &APath)
{
    const QString suffix = QFileInfo(APath).suffix();
    return suffix.compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0
           || suffix.compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0;
}

void TSoundFileSet::Refuse(const QString &AName, const QString &AReason)
{
    Refused << QStringLiteral("%1 (%2)").arg(AName, AReason);
}

void TSoundFileSet::Take(const QString &APath)
{
    const QFileInfo info(APath);
    if (APath.isEmpty() || !info.exists())
        Refuse(APath, QStringLiteral("not found"));
    else if (info.isDir())
        TakeFolder(info.absoluteFilePath());
    else if (!IsSoundFileName(APath))
        Refuse(APath, QStringLiteral("not an MP3 or WAV file"));
    else
        Files << info.absoluteFilePath();
}

void TSoundFileSet::TakeFolder(const QString &APath)
{
    // Only the folder's own files: a drop of a whole music library should not
    // flood the list.
    QStringList names;
    for (const QString &name : QDir(APath).entryList(QDir::Files))
        if (IsSoundFileName(name))
            names << name;
    if (names.isEmpty()) {
        Refuse(APath, QStringLiteral("a folder without MP3 or WAV files"));
        return;
    }
    // "Take 2" before "Take 10", letter case aside. The C locale's collator
    // compares code points only, so it gives way to a plain English one.
    const QLocale system = QLocale::system();
    QCollator collator(system.language() == QLocale::C ? QLocale(QLocale::English) : system);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    for (const QString &name : std::as_const(names))
        Files << QDir(APath).filePath(name);
}
