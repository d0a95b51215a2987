#include "platform/VersionResource.h"

#include "platform/FileName.h"
#include "platform/OSError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Platform {

namespace {

// The block's own length field is 16 bits wide, so anything larger is not a block.
constexpr qint64 MaxVersionBlockSize = 0x10000;

// Reads ASize bytes at AOffset, or raises ENOEXEC when the file is too short.
QByteArray ReadAt(QFile &AFile, quint64 AOffset, quint64 ASize)
{
    if (AOffset > quint64(AFile.size()) || ASize > quint64(AFile.size()) - AOffset)
        throw EOSError(ENOEXEC);
    if (!AFile.seek(qint64(AOffset)))
        throw EOSError(EIO);
    QByteArray data = AFile.read(qint64(ASize));
    if (quint64(data.size()) != ASize)
        throw EOSError(EIO);
    return data;
}

template <typename T> T ReadStruct(QFile &AFile, quint64 AOffset)
{
    const QByteArray bytes = ReadAt(AFile, AOffset, sizeof(T));
    T value;
    std::memcpy(&value, bytes.constData(), sizeof(T));
    return value;
}

template <typename Ehdr, typename Shdr> QByteArray FindVersionSection(QFile &AFile)
{
    const auto header = ReadStruct<Ehdr>(AFile, 0);
    if (header.e_shoff == 0)
        throw EOSError(ENODATA);
    if (header.e_shentsize != sizeof(Shdr))
        throw EOSError(ENOEXEC);

    // Large section counts and string-table indexes live in section 0.
    const auto first = ReadStruct<Shdr>(AFile, header.e_shoff);
    const quint64 count = header.e_shnum ? header.e_shnum : first.sh_size;
    const quint64 namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
    if (namesIndex >= count)
        throw EOSError(ENOEXEC);

    const auto namesHeader = ReadStruct<Shdr>(AFile, header.e_shoff + namesIndex * sizeof(Shdr));
    const QByteArray names = ReadAt(AFile, namesHeader.sh_offset, namesHeader.sh_size);
    for (quint64 i = 1; i < count; ++i) {
        const auto section = ReadStruct<Shdr>(AFile, header.e_shoff + i * sizeof(Shdr));
        if (section.sh_name >= quint64(names.size()) || section.sh_type == SHT_NOBITS)
            continue;
        // QByteArray keeps a NUL after its data, so an unterminated last name stops there.
        if (std::strcmp(names.constData() + section.sh_name, VersionSectionName) != 0)
            continue;
        return ReadAt(AFile, section.sh_offset, std::min<quint64>(section.sh_size, MaxVersionBlockSize));
    }
    throw EOSError(ENODATA);
}

} // namespace

QByteArray LoadVersionBlock(const QString &AFileName)
{
    // Non-blocking, so that naming a FIFO cannot hang the caller.
    const int fd = open(EncodeFileName(AFileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EOSError(errno);
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    struct stat status
    {};
    if (fstat(fd, &status) != 0)
        throw EOSError(errno);
    if (S_ISDIR(status.st_mode))
        throw EOSError(EISDIR);
    if (!S_ISREG(status.st_mode))
        throw EOSError(ENOEXEC);
    const QByteArray ident = ReadAt(file, 0, EI_NIDENT);
    if (std::memcmp(ident.constData(), ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB)
        throw EOSError(ENOEXEC);
    if (ident[EI_CLASS] == ELFCLASS64)
        return FindVersionSection<Elf64_Ehdr, Elf64_Shdr>(file);
    if (ident[EI_CLASS] == ELFCLASS32)
        return FindVersionSection<Elf32_Ehdr, Elf32_Shdr>(file);
    throw EOSError(ENOEXEC);
}

} // namespace Platform
