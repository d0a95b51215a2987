#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets (or, with ASet false, removes) an environment variable for the lifetime
// of the object and restores the previous state afterwards.
class TScopedEnv
{
public:
    TScopedEnv(const char *AName, const QByteArray &AValue, bool ASet = true)
        : FName(AName)
        , FOld(qgetenv(AName))
        , FHadOld(qEnvironmentVariableIsSet(AName))
    {
        if (ASet)
            qputenv(AName, AValue);
        else
            qunsetenv(AName);
    }
    ~TScopedEnv()
    {
        if (FHadOld)
            qputenv(FName, FOld);
        else
            qunsetenv(FName);
    }
    TScopedEnv(const TScopedEnv &) = delete;
    TScopedEnv &operator=(const TScopedEnv &) = delete;

private:
    const char *FName;
    QByteArray FOld;
    bool FHadOld;
};
