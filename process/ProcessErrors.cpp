#include "process/ProcessErrors.h"

#include <QFileInfo>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

std::string AssertionText(const std::source_location &AWhere)
{
    return "Assertion failure (" + QFileInfo(QString::fromUtf8(AWhere.file_name())).fileName().toStdString() + ", line "
           + std::to_string(AWhere.line()) + ")";
}

} // namespace

EAssertionFailed::EAssertionFailed(std::source_location AWhere)
    : std::runtime_error(AssertionText(AWhere))
{}

QString ExceptionClassName(const std::exception &AE)
{
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(typeid(AE).name(), nullptr, nullptr, &status), &std::free);
    return QString::fromUtf8(status == 0 && name ? name.get() : typeid(AE).name());
}

QString ExceptionMessage(const std::exception &AE)
{
    return QString::fromUtf8(AE.what());
}
