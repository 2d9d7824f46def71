#pragma once

#include <curl/curl.h>

#include <string>

// The transfer library, opened when it is first needed rather than at exec: it brings some
// thirty shared objects (TLS, Kerberos, LDAP, SSH...) whose loading and relocation would
// otherwise delay the bar's first paint, although its first use comes later.
struct CurlApi {
    CURLcode (*globalInit)(long flags) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL* handle) = nullptr;
    CURLcode (*easySetopt)(CURL* handle, CURLoption option, ...) = nullptr;
    CURLcode (*easyPerform)(CURL* handle) = nullptr;
    CURLcode (*easyGetinfo)(CURL* handle, CURLINFO info, ...) = nullptr;
    const char* (*easyStrerror)(CURLcode code) = nullptr;
    curl_slist* (*slistAppend)(curl_slist* list, const char* text) = nullptr;
    void (*slistFreeAll)(curl_slist* list) = nullptr;
    CURLU* (*url)() = nullptr;
    void (*urlCleanup)(CURLU* handle) = nullptr;
    CURLUcode (*urlSet)(CURLU* handle, CURLUPart part, const char* text,
                        unsigned int flags) = nullptr;
    CURLUcode (*urlGet)(const CURLU* handle, CURLUPart part, char** text,
                        unsigned int flags) = nullptr;
    void (*freeText)(void* text) = nullptr;
    std::string error;  // why the library cannot be used; empty when it can
};

// The library, loaded and initialised on the first call, from whichever thread makes it; the
// same answer for the rest of the process.
const CurlApi& Curl();
