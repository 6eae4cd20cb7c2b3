#pragma once

#include <curl/curl.h>

#include <stdexcept>

namespace helvanta {

// libcurl could not be loaded: PVOutput stays off, with the reason.
class EPvoutputSetup : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The functions of libcurl that the uploads call. The library is loaded on first use,
// as libmosquitto is: it brings a TLS library along that a service without uploads
// should not carry.
struct CurlLibrary {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_perform) easy_perform;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_header) easy_header;
  decltype(&::curl_easy_strerror) easy_strerror;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
};

// The loaded and initialised library; throws EPvoutputSetup when it cannot be loaded.
const CurlLibrary& Curl();

}  // namespace helvanta
