#pragma once

#include "platform/SharedLibrary.h"

#include <curl/curl.h>

// libcurl, loaded at its first use rather than with the program: it and the
// TLS, LDAP, SSH and Kerberos libraries it brings cost a start-up a fifth of
// its time, for a request that comes a second later on another thread, or
// never. The functions this program calls, resolved once; the library stays
// loaded for the rest of the process.
class TCurlLibrary
{
public:
    // Loads it the first time, from whichever thread asks first. Raises
    // EWebRequest when libcurl cannot be loaded or lacks one of the functions.
    static const TCurlLibrary &Get();

    CURLcode (*GlobalInit)(long AFlags) = nullptr;
    CURL *(*EasyInit)() = nullptr;
    void (*EasyCleanup)(CURL *AEasy) = nullptr;
    CURLcode (*EasySetopt)(CURL *AEasy, CURLoption AOption, ...) = nullptr;
    CURLcode (*EasyGetinfo)(CURL *AEasy, CURLINFO AInfo, ...) = nullptr;
    const char *(*EasyStrerror)(CURLcode ACode) = nullptr;
    CURLM *(*MultiInit)() = nullptr;
    CURLMcode (*MultiCleanup)(CURLM *AMulti) = nullptr;
    CURLMcode (*MultiAddHandle)(CURLM *AMulti, CURL *AEasy) = nullptr;
    CURLMcode (*MultiRemoveHandle)(CURLM *AMulti, CURL *AEasy) = nullptr;
    CURLMcode (*MultiPerform)(CURLM *AMulti, int *ARunning) = nullptr;
    CURLMcode (*MultiPoll)(CURLM *AMulti, curl_waitfd AExtra[], unsigned int ACount, int ATimeoutMs,
                           int *AReady) = nullptr;
    CURLMsg *(*MultiInfoRead)(CURLM *AMulti, int *ALeft) = nullptr;
    const char *(*MultiStrerror)(CURLMcode ACode) = nullptr;
    curl_slist *(*SlistAppend)(curl_slist *AList, const char *AText) = nullptr;
    void (*SlistFreeAll)(curl_slist *AList) = nullptr;

private:
    TCurlLibrary();
    template <class F> void Resolve(F &AFunction, const char *AName);

    Platform::TSharedLibrary FLibrary;
};
