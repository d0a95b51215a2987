#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh folder for one test, removed with it.
class TTestFolder
{
public:
    QString Path() const { return FDir.path(); }

    QString FilePath(const QString &AName) const { return FDir.filePath(AName); }

    // Writes AContent to the file AName of the folder and returns its full path.
    QString Write(const QString &AName, const QByteArray &AContent) const
    {
        QFile file(FilePath(AName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
        file.write(AContent);
        return file.fileName();
    }

    QString MakeFolder(const QString &AName) const
    {
        EXPECT_TRUE(QDir(Path()).mkdir(AName));
        return FilePath(AName);
    }

private:
    QTemporaryDir FDir;
};
