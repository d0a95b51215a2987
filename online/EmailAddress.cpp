#define PCRE2_CODE_UNIT_WIDTH 8
#include "online/EmailAddress.h"

#include <memory>
#include <pcre2.h>

namespace {

struct TCodeDeleter
{
    void operator()(pcre2_code *ACode) const { pcre2_code_free(ACode); }
};

struct TMatchDataDeleter
{
    void operator()(pcre2_match_data *AData) const { pcre2_match_data_free(AData); }
};

// Compiled once; a compiled pattern may be shared by threads, match data may not.
const pcre2_code *EmailPattern()
{
    static const std::unique_ptr<pcre2_code, TCodeDeleter> code = [] {
        static const char pattern[] = R"(^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$)";
        int error = 0;
        PCRE2_SIZE offset = 0;
        return std::unique_ptr<pcre2_code, TCodeDeleter>(pcre2_compile(
            reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, PCRE2_UTF, &error, &offset, nullptr));
    }();
    return code.get();
}

} // namespace

bool IsValidEmail(const QString &AText)
{
    const pcre2_code *code = EmailPattern();
    if (!code)
        return false;
    const std::unique_ptr<pcre2_match_data, TMatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code, nullptr));
    const QByteArray subject = AText.toUtf8();
    const int result = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.constData()),
                                   static_cast<PCRE2_SIZE>(subject.size()), 0, PCRE2_NOTEMPTY, data.get(), nullptr);
    return result > 0;
}
