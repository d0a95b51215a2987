#pragma once

#include "identity/VersionBlockBuilder.h"

#include <QString>

// Executable files carrying version blocks made by the tests.
namespace VersionFixture {

// The tonara executable of this build, whose block comes from the project's identity.
QString TonaraExecutable();

// A copy of /bin/true named AName in AFolder with ABuilder's block in its version section.
QString ExecutableWithBlock(const QString &AFolder, const QString &AName, const TVersionBlockBuilder &ABuilder);

} // namespace VersionFixture
