#include "app/VersionBlock.h"

#include <QStringList>
#include <QtEndian>

namespace {

constexpr qsizetype NodeHeaderSize = 6; // wLength, wValueLength, wType
constexpr quint16 TextValueType = 1;
constexpr quint32 FixedFileInfoSignature = 0xFEEF04BD;
constexpr qsizetype FixedFileInfoSize = 52;

qsizetype AlignTo4(qsizetype AOffset)
{
    return (AOffset + 3) & ~qsizetype(3);
}

} // namespace

TVersionBlock::TVersionBlock(QByteArray AData)
    : FData(std::move(AData))
{}

quint16 TVersionBlock::Word(qsizetype AOffset) const
{
    return qFromLittleEndian<quint16>(FData.constData() + AOffset);
}

bool TVersionBlock::ParseNode(qsizetype AStart, qsizetype ALimit, TNode &ANode) const
{
    if (AStart < 0 || ALimit - AStart < NodeHeaderSize)
        return false;
    const qsizetype length = Word(AStart);
    if (length < NodeHeaderSize || length > ALimit - AStart)
        return false;
    ANode.Start = AStart;
    ANode.End = AStart + length;

    qsizetype keyEnd = AStart + NodeHeaderSize;
    while (keyEnd + 2 <= ANode.End && Word(keyEnd) != 0)
        keyEnd += 2;
    if (keyEnd + 2 > ANode.End)
        return false; // key without its terminating zero
    const qsizetype keyChars = (keyEnd - AStart - NodeHeaderSize) / 2;
    ANode.Key.resize(keyChars);
    for (qsizetype i = 0; i < keyChars; ++i)
        ANode.Key[i] = QChar(Word(AStart + NodeHeaderSize + 2 * i));

    const qsizetype valueLength = Word(AStart + 2);
    const qsizetype valueBytes = Word(AStart + 4) == TextValueType ? 2 * valueLength : valueLength;
    ANode.ValueStart = std::min(AlignTo4(keyEnd + 2), ANode.End);
    ANode.ValueEnd = std::min(ANode.ValueStart + valueBytes, ANode.End);
    ANode.ChildrenStart = std::min(AlignTo4(ANode.ValueEnd), ANode.End);
    return true;
}

bool TVersionBlock::FindChild(const TNode &AParent, const QString &AKey, TNode &AChild) const
{
    qsizetype offset = AParent.ChildrenStart;
    while (ParseNode(offset, AParent.End, AChild)) {
        if (AChild.Key.compare(AKey, Qt::CaseInsensitive) == 0)
            return true;
        offset = AlignTo4(AChild.End);
    }
    return false;
}

bool TVersionBlock::ParseRoot(TNode &ARoot) const
{
    return ParseNode(0, FData.size(), ARoot) && ARoot.Key == QLatin1String("VS_VERSION_INFO");
}

bool TVersionBlock::IsValid() const
{
    TNode root;
    return ParseRoot(root);
}

bool TVersionBlock::QueryValue(const QString &ASubBlock, QByteArrayView &AValue) const
{
    TNode node;
    if (!ParseRoot(node))
        return false;
    const QStringList keys = ASubBlock.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString &key : keys) {
        TNode child;
        if (!FindChild(node, key, child))
            return false;
        node = child;
    }
    AValue = QByteArrayView(FData.constData() + node.ValueStart, node.ValueEnd - node.ValueStart);
    return true;
}

bool TVersionBlock::QueryString(const QString &ASubBlock, QString &AText) const
{
    QByteArrayView value;
    if (!QueryValue(ASubBlock, value))
        return false;
    QString text;
    for (qsizetype i = 0; i + 2 <= value.size(); i += 2) {
        const quint16 unit = qFromLittleEndian<quint16>(value.data() + i);
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    AText = text;
    return true;
}

bool TVersionBlock::QueryFirstTranslation(quint16 &ALanguage, quint16 &ACodePage) const
{
    QByteArrayView value;
    if (!QueryValue(QStringLiteral("\\VarFileInfo\\Translation\\"), value) || value.size() < 4)
        return false;
    ALanguage = qFromLittleEndian<quint16>(value.data());
    ACodePage = qFromLittleEndian<quint16>(value.data() + 2);
    return true;
}

bool TVersionBlock::QueryFileVersionMS(quint32 &AVersionMS) const
{
    QByteArrayView value;
    if (!QueryValue(QStringLiteral("\\"), value) || value.size() < FixedFileInfoSize)
        return false;
    if (qFromLittleEndian<quint32>(value.data()) != FixedFileInfoSignature)
        return false;
    AVersionMS = qFromLittleEndian<quint32>(value.data() + 8);
    return true;
}

QString TVersionBlock::TranslationKey(quint16 ALanguage, quint16 ACodePage)
{
    return QStringLiteral("%1%2")
        .arg(ALanguage, 4, 16, QLatin1Char('0'))
        .arg(ACodePage, 4, 16, QLatin1Char('0'))
        .toUpper();
}
