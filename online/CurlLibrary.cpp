#include "online/CurlLibrary.h"

#include "online/EWebRequest.h"

const TCurlLibrary &TCurlLibrary::Get()
{
    // A failed load raises here and is tried again by the next request.
    static const TCurlLibrary library;
    return library;
}

TCurlLibrary::TCurlLibrary()
    : FLibrary("libcurl.so.4") // the run-time name of the libcurl this program is built against
{
    if (!FLibrary.IsLoaded())
        throw EWebRequest("cannot load " + FLibrary.Soname() + ": " + FLibrary.Error());
    Resolve(GlobalInit, "curl_global_init");
    Resolve(EasyInit, "curl_easy_init");
    Resolve(EasyCleanup, "curl_easy_cleanup");
    Resolve(EasySetopt, "curl_easy_setopt");
    Resolve(EasyGetinfo, "curl_easy_getinfo");
    Resolve(EasyStrerror, "curl_easy_strerror");
    Resolve(MultiInit, "curl_multi_init");
    Resolve(MultiCleanup, "curl_multi_cleanup");
    Resolve(MultiAddHandle, "curl_multi_add_handle");
    Resolve(MultiRemoveHandle, "curl_multi_remove_handle");
    Resolve(MultiPerform, "curl_multi_perform");
    Resolve(MultiPoll, "curl_multi_poll");
    Resolve(MultiInfoRead, "curl_multi_info_read");
    Resolve(MultiStrerror, "curl_multi_strerror");
    Resolve(SlistAppend, "curl_slist_append");
    Resolve(SlistFreeAll, "curl_slist_free_all");
}

template <class F> void TCurlLibrary::Resolve(F &AFunction, const char *AName)
{
    if (!FLibrary.Resolve(AFunction, AName))
        throw EWebRequest(FLibrary.Soname() + " lacks " + AName);
}
