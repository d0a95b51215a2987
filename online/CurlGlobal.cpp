#include "online/CurlGlobal.h"

#include "online/CurlLibrary.h"

#include <mutex>

void EnsureCurlGlobalInit()
{
    // curl_global_init is not thread-safe itself; the update check and the
    // feedback form may post at the same time.
    static std::once_flag once;
    std::call_once(once, [] { TCurlLibrary::Get().GlobalInit(CURL_GLOBAL_DEFAULT); });
}
