#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <utility>

namespace Platform {

namespace {

std::string LoaderError()
{
    const char *error = dlerror();
    return error ? error : "unknown error";
}

} // namespace

TSharedLibrary::TSharedLibrary(std::string ASoname)
    : FSoname(std::move(ASoname))
    , FHandle(dlopen(FSoname.c_str(), RTLD_NOW | RTLD_LOCAL))
{
    if (!FHandle)
        FError = LoaderError();
}

void *TSharedLibrary::Symbol(const char *AName)
{
    if (!FHandle)
        return nullptr;
    void *symbol = dlsym(FHandle, AName);
    if (!symbol)
        FError = LoaderError();
    return symbol;
}

} // namespace Platform
