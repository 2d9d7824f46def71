#pragma once

#include "platform/net/Http.h"
#include "platform/net/TransferMessages.h"

// One HTTP transfer with libcurl, as the transfer process makes it for the program: one handle
// per request, proxies from the environment (http_proxy, https_proxy, no_proxy), only http,
// https, ftp and file spoken, the request's time-outs, and the cap on the reply. A get follows
// up to 5 redirects (to http and https only) and asks caches not to answer for the server; a
// post follows none and ends once the reply's headers are in.
namespace CurlTransfer {

Http::Result Perform(const TransferMessages::Request& request);

}  // namespace CurlTransfer
