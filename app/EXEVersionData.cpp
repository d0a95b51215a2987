#include "app/EXEVersionData.h"

#include "app/VersionBlock.h"
#include "platform/OSError.h"
#include "platform/VersionResource.h"

#include <cerrno>

void ReadVersionData(const QString &AFileName, TEXEVersionData &AData)
{
    const TVersionBlock block(Platform::LoadVersionBlock(AFileName));
    if (!block.IsValid())
        throw EOSError(EBADMSG);
    quint16 language = 0;
    quint16 codePage = 0;
    if (!block.QueryFirstTranslation(language, codePage))
        throw EOSError(ENODATA);

    const QString table = QStringLiteral("\\StringFileInfo\\") + TVersionBlock::TranslationKey(language, codePage);
    const std::pair<QString *, const char *> fields[] = {
        {&AData.CompanyName, "\\CompanyName"},           {&AData.FileDescription, "\\FileDescription"},
        {&AData.FileVersion, "\\FileVersion"},           {&AData.InternalName, "\\InternalName"},
        {&AData.LegalCopyright, "\\LegalCopyright"},     {&AData.LegalTrademarks, "\\LegalTrademarks"},
        {&AData.OriginalFileName, "\\OriginalFileName"}, {&AData.ProductName, "\\ProductName"},
        {&AData.ProductVersion, "\\ProductVersion"},     {&AData.Comments, "\\Comments"},
        {&AData.PrivateBuild, "\\PrivateBuild"},         {&AData.SpecialBuild, "\\SpecialBuild"},
    };
    // A value the table lacks leaves its field as it is.
    for (const auto &[field, name] : fields)
        block.QueryString(table + QLatin1String(name), *field);
}
