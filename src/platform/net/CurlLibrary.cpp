#include "platform/net/CurlLibrary.h"

#include <dlfcn.h>

namespace {

template <typename Function>
bool Resolve(void* library, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr && error.empty()) {
        error = std::string("Unable to use the transfer library: ") + name + " is missing";
    }
    return function != nullptr;
}

CurlApi LoadCurl(const char* file) {
    CurlApi api;
    void* library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        api.error =
            std::string("Unable to load the transfer library: ") + (why != nullptr ? why : file);
        return api;
    }
    // Never closed: its TLS back end cannot be unloaded safely.
    bool found = true;
    found = Resolve(library, "curl_global_init", api.globalInit, api.error) && found;
    found = Resolve(library, "curl_easy_init", api.easyInit, api.error) && found;
    found = Resolve(library, "curl_easy_cleanup", api.easyCleanup, api.error) && found;
    found = Resolve(library, "curl_easy_setopt", api.easySetopt, api.error) && found;
    found = Resolve(library, "curl_easy_perform", api.easyPerform, api.error) && found;
    found = Resolve(library, "curl_easy_getinfo", api.easyGetinfo, api.error) && found;
    found = Resolve(library, "curl_easy_strerror", api.easyStrerror, api.error) && found;
    found = Resolve(library, "curl_slist_append", api.slistAppend, api.error) && found;
    found = Resolve(library, "curl_slist_free_all", api.slistFreeAll, api.error) && found;
    found = Resolve(library, "curl_url", api.url, api.error) && found;
    found = Resolve(library, "curl_url_cleanup", api.urlCleanup, api.error) && found;
    found = Resolve(library, "curl_url_set", api.urlSet, api.error) && found;
    found = Resolve(library, "curl_url_get", api.urlGet, api.error) && found;
    found = Resolve(library, "curl_free", api.freeText, api.error) && found;
    if (found && api.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        api.error = "Unable to initialise the transfer library";
    }
    return api;
}

}  // namespace

const CurlApi& Curl() {
    static const CurlApi api = LoadCurl("libcurl.so.4");
    return api;
}
