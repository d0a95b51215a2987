#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Read access to a version block in the Windows layout (VS_VERSIONINFO: nodes
// of length, value length, type, UTF-16 key, value and children, each on a
// 4-byte boundary). Queries take the same paths as the Windows call that reads
// such blocks: "\" for the fixed file info, "\VarFileInfo\Translation",
// "\StringFileInfo\040904B0\CompanyName"; keys compare without regard to case.
// Damaged blocks never lead to reads outside the data.
class TVersionBlock
{
public:
    explicit TVersionBlock(QByteArray AData);

    // True when the data starts with a well-formed "VS_VERSION_INFO" node.
    bool IsValid() const;

    // The value bytes of the node at ASubBlock; false when there is no such node.
    bool QueryValue(const QString &ASubBlock, QByteArrayView &AValue) const;

    // The text value of the node at ASubBlock, up to its terminating zero.
    bool QueryString(const QString &ASubBlock, QString &AText) const;

    // The first (language, code page) pair of "\VarFileInfo\Translation".
    bool QueryFirstTranslation(quint16 &ALanguage, quint16 &ACodePage) const;

    // The string-table key of a translation: "%.4x%.4x" in upper case
    // (language 0x0409 with code page 1252 gives "040904E4").
    static QString TranslationKey(quint16 ALanguage, quint16 ACodePage);

    // dwFileVersionMS of the fixed file info; false when the block has none.
    bool QueryFileVersionMS(quint32 &AVersionMS) const;

private:
    struct TNode
    {
        qsizetype Start = 0;
        qsizetype End = 0; // one past the node's last byte
        QString Key;
        qsizetype ValueStart = 0;
        qsizetype ValueEnd = 0;
        qsizetype ChildrenStart = 0;
    };

    bool ParseRoot(TNode &ARoot) const;
    bool ParseNode(qsizetype AStart, qsizetype ALimit, TNode &ANode) const;
    bool FindChild(const TNode &AParent, const QString &AKey, TNode &AChild) const;
    quint16 Word(qsizetype AOffset) const;

    QByteArray FData;
};
