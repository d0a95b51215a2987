#include "effects/SoundFileSet.h"

#include "platform/FileKind.h"

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
    // Asked by the name's bytes: a name that is not UTF-8 is found too.
    const QFileInfo info(APath);
    const Platform::TFileKind kind = APath.isEmpty() ? Platform::TFileKind::Missing : Platform::FileKindOf(APath);
    if (kind == Platform::TFileKind::Missing || kind == Platform::TFileKind::Unknown)
        Refuse(APath, QStringLiteral("not found"));
    else if (kind == Platform::TFileKind::Directory)
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
    for (const QString &name : Platform::RegularFilesIn(APath))
        if (IsSoundFileName(name) && !name.startsWith(QLatin1Char('.')))
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
