#pragma once

#include <QString>
#include <QStringList>

// Whether A and B name the same file: the same file once links are followed
// when both exist, else the same absolute path.
bool IsSameFile(const QString &A, const QString &B);

// Where each result of a batch goes in AFolder: "NAME - EFFECT.FORMAT" for each
// input, NAME its file name without the last extension, in the inputs' order.
// Raises std::runtime_error, with the message for the user, when two inputs
// would be saved to one file or a result would replace an input.
QStringList BatchTargets(const QStringList &AInputs, const QString &AEffectItem, const QString &AFolder,
                         const QString &AFormat);
