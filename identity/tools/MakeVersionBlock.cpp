// Build-time tool: writes a C++ file that places the executable's version block
// in its own ELF section, where the version reader finds it in the file.
//
// Usage: tonara_make_version_block OUTPUT.cpp MAJOR.MINOR.BUILD.RELEASE LANGUAGE CODEPAGE Name=Value...
// (LANGUAGE and CODEPAGE in hexadecimal, e.g. 0409 04B0)

#include "identity/VersionBlock.h"
#include "identity/VersionBlockBuilder.h"
#include "platform/VersionResource.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>

namespace {

int Fail(const QString &AMessage)
{
    std::fprintf(stderr, "tonara_make_version_block: %s\n", qPrintable(AMessage));
    return 1;
}

QByteArray CppSource(const QByteArray &ABlock)
{
    QByteArray source = "// Generated at build time from the project's identity; do not edit.\n"
                        "alignas(4) [[gnu::used, gnu::section(\"";
    source += Platform::VersionSectionName;
    source += "\")]] static const unsigned char VersionBlock[] = {";
    for (qsizetype i = 0; i < ABlock.size(); ++i) {
        source += i % 16 == 0 ? "\n   " : "";
        source += QByteArray(" 0x") + QByteArray::number(quint8(ABlock[i]), 16).rightJustified(2, '0') + ',';
    }
    source += "\n};\n";
    return source;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);
    if (args.size() < 4)
        return Fail(QStringLiteral("usage: OUTPUT.cpp VERSION LANGUAGE CODEPAGE Name=Value..."));

    const QStringList parts = args[1].split(QLatin1Char('.'));
    if (parts.size() != 4)
        return Fail(QStringLiteral("version must have four parts: %1").arg(args[1]));
    quint16 numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toUShort(&ok);
        if (!ok)
            return Fail(QStringLiteral("bad version part: %1").arg(parts[i]));
    }
    bool languageOk = false;
    bool codePageOk = false;
    const quint16 language = args[2].toUShort(&languageOk, 16);
    const quint16 codePage = args[3].toUShort(&codePageOk, 16);
    if (!languageOk || !codePageOk)
        return Fail(QStringLiteral("bad language or code page: %1 %2").arg(args[2], args[3]));

    TVersionBlockBuilder::TStrings strings;
    for (const QString &pair : args.mid(4)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return Fail(QStringLiteral("expected Name=Value: %1").arg(pair));
        strings.append({pair.left(equals), pair.mid(equals + 1)});
    }

    TVersionBlockBuilder builder;
    builder.SetFixedVersion(numbers[0], numbers[1], numbers[2], numbers[3]);
    builder.AddStringTable(TVersionBlock::TranslationKey(language, codePage), strings);
    builder.AddTranslation(language, codePage);

    QSaveFile out(args[0]);
    if (!out.open(QIODevice::WriteOnly) || out.write(CppSource(builder.Build())) < 0 || !out.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(args[0], out.errorString()));
    return 0;
}
