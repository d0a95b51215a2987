#include "identity/VersionBlockBuilder.h"

#include <QtEndian>

namespace {

constexpr quint16 BinaryType = 0;
constexpr quint16 TextType = 1;

void AppendWord(QByteArray &AOut, quint16 AValue)
{
    char bytes[2];
    qToLittleEndian(AValue, bytes);
    AOut.append(bytes, 2);
}

void AppendDWord(QByteArray &AOut, quint32 AValue)
{
    char bytes[4];
    qToLittleEndian(AValue, bytes);
    AOut.append(bytes, 4);
}

void PadTo4(QByteArray &AOut)
{
    while (AOut.size() % 4 != 0)
        AOut.append('\0');
}

void AppendText(QByteArray &AOut, const QString &AText)
{
    for (const QChar c : AText)
        AppendWord(AOut, c.unicode());
    AppendWord(AOut, 0);
}

// One node: header, key, value, children; its length excludes the padding
// that follows it. AValueLength is counted in characters for text values.
QByteArray Node(const QString &AKey, quint16 AType, const QByteArray &AValue, quint16 AValueLength,
                const QByteArray &AChildren = QByteArray())
{
    QByteArray node;
    AppendWord(node, 0); // length, patched below
    AppendWord(node, AValueLength);
    AppendWord(node, AType);
    AppendText(node, AKey);
    PadTo4(node);
    node += AValue;
    if (!AChildren.isEmpty()) {
        PadTo4(node);
        node += AChildren;
    }
    qToLittleEndian(quint16(node.size()), node.data());
    return node;
}

// Appends a child node on the next 4-byte boundary.
void AppendChild(QByteArray &AChildren, const QByteArray &ANode)
{
    PadTo4(AChildren);
    AChildren += ANode;
}

} // namespace

void TVersionBlockBuilder::SetFixedVersion(quint16 AMajor, quint16 AMinor, quint16 ABuild, quint16 ARelease)
{
    FVersionMS = quint32(AMajor) << 16 | AMinor;
    FVersionLS = quint32(ABuild) << 16 | ARelease;
}

void TVersionBlockBuilder::OmitFixedFileInfo()
{
    FHasFixedInfo = false;
}

void TVersionBlockBuilder::AddStringTable(const QString &AKey, const TStrings &AStrings)
{
    FTables.append({AKey, AStrings});
}

void TVersionBlockBuilder::AddTranslation(quint16 ALanguage, quint16 ACodePage)
{
    FTranslations.append({ALanguage, ACodePage});
}

QByteArray TVersionBlockBuilder::FixedFileInfo() const
{
    QByteArray info;
    AppendDWord(info, 0xFEEF04BD); // signature
    AppendDWord(info, 0x00010000); // structure version 1.0
    AppendDWord(info, FVersionMS); // file version
    AppendDWord(info, FVersionLS);
    AppendDWord(info, FVersionMS); // product version
    AppendDWord(info, FVersionLS);
    AppendDWord(info, 0x3F); // file flags mask
    AppendDWord(info, 0);    // file flags
    AppendDWord(info, 0);    // operating system: unknown
    AppendDWord(info, 1);    // file type: application
    AppendDWord(info, 0);    // file subtype
    AppendDWord(info, 0);    // file date
    AppendDWord(info, 0);
    return info;
}

QByteArray TVersionBlockBuilder::StringFileInfo() const
{
    QByteArray tables;
    for (const auto &[key, strings] : FTables) {
        QByteArray entries;
        for (const auto &[name, value] : strings) {
            QByteArray text;
            AppendText(text, value);
            AppendChild(entries, Node(name, TextType, text, quint16(value.size() + 1)));
        }
        AppendChild(tables, Node(key, TextType, QByteArray(), 0, entries));
    }
    return Node(QStringLiteral("StringFileInfo"), TextType, QByteArray(), 0, tables);
}

QByteArray TVersionBlockBuilder::VarFileInfo() const
{
    QByteArray pairs;
    for (const auto &[language, codePage] : FTranslations) {
        AppendWord(pairs, language);
        AppendWord(pairs, codePage);
    }
    const QByteArray translation = Node(QStringLiteral("Translation"), BinaryType, pairs, quint16(pairs.size()));
    return Node(QStringLiteral("VarFileInfo"), TextType, QByteArray(), 0, translation);
}

QByteArray TVersionBlockBuilder::Build() const
{
    QByteArray children;
    if (!FTables.isEmpty())
        AppendChild(children, StringFileInfo());
    if (!FTranslations.isEmpty())
        AppendChild(children, VarFileInfo());
    const QByteArray fixed = FHasFixedInfo ? FixedFileInfo() : QByteArray();
    return Node(QStringLiteral("VS_VERSION_INFO"), BinaryType, fixed, quint16(fixed.size()), children);
}
