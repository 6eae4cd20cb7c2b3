#include "pvoutput/curl_library.hpp"

#include "runtime/optional_libraries.hpp"
#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

CurlLibrary Load() {
  static const SharedLibrary library(kCurlLibraryFile);
  CurlLibrary api{};
  api.global_init = library.Find<decltype(::curl_global_init)>("curl_global_init");
  api.easy_init = library.Find<decltype(::curl_easy_init)>("curl_easy_init");
  api.easy_setopt = library.Find<decltype(::curl_easy_setopt)>("curl_easy_setopt");
  api.easy_perform = library.Find<decltype(::curl_easy_perform)>("curl_easy_perform");
  api.easy_getinfo = library.Find<decltype(::curl_easy_getinfo)>("curl_easy_getinfo");
  api.easy_header = library.Find<decltype(::curl_easy_header)>("curl_easy_header");
  api.easy_strerror = library.Find<decltype(::curl_easy_strerror)>("curl_easy_strerror");
  api.easy_cleanup = library.Find<decltype(::curl_easy_cleanup)>("curl_easy_cleanup");
  api.slist_append = library.Find<decltype(::curl_slist_append)>("curl_slist_append");
  api.slist_free_all = library.Find<decltype(::curl_slist_free_all)>("curl_slist_free_all");
  if (const CURLcode code = api.global_init(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
    throw EPvoutputSetup(std::string("libcurl: ") + api.easy_strerror(code));
  }
  return api;
}

}  // namespace

const CurlLibrary& Curl() {
  try {
    // A failed load is tried again at the next call.
    static const CurlLibrary api = Load();
    return api;
  } catch (const ESharedLibrary& error) {
    throw EPvoutputSetup(error.what());
  }
}

}  // namespace helvanta
