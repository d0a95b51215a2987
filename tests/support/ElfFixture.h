#pragma once

#include <QByteArray>
#include <QString>

// Real ELF files for the version-block tests, made with binutils' objcopy.
namespace ElfFixture {

// Copies the executable ASource to ATarget and adds ASectionData as its
// section ASectionName. Raises std::runtime_error when objcopy fails.
void CopyWithSection(const QString &ASource, const QString &ATarget, const QByteArray &ASectionData,
                     const QString &ASectionName);

// Writes an object file of the ELF flavour AFormat ("elf32-i386",
// "elf64-big", ...) whose only data section is ASectionName with ASectionData.
void WriteObjectWithSection(const QString &ATarget, const QString &AFormat, const QByteArray &ASectionData,
                            const QString &ASectionName);

} // namespace ElfFixture
