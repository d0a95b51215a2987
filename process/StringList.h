#pragma once

#include "process/Strings.h"

// A plain list of lines in memory.
class TStringList : public TStrings
{
public:
    TStringList() = default;
    explicit TStringList(const QStringList &ALines)
        : FList(ALines)
    {}

    int Count() const override;
    QString Strings(int AIndex) const override;
    void SetStrings(int AIndex, const QString &AValue) override;
    int Add(const QString &AValue) override;
    void Delete(int AIndex) override;
    void Clear() override;

private:
    QStringList FList;
};
