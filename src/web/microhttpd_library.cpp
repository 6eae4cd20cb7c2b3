#include "web/microhttpd_library.hpp"

#include "runtime/optional_libraries.hpp"
#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

MicrohttpdLibrary Load() {
  static const SharedLibrary library(kMicrohttpdLibraryFile);
  MicrohttpdLibrary api{};
  api.lookup_connection_value = library.Find<decltype(::MHD_lookup_connection_value)>("MHD_lookup_connection_value");
  api.create_response_from_buffer =
      library.Find<decltype(::MHD_create_response_from_buffer)>("MHD_create_response_from_buffer");
  api.create_response_from_callback =
      library.Find<decltype(::MHD_create_response_from_callback)>("MHD_create_response_from_callback");
  api.get_connection_info = library.Find<decltype(::MHD_get_connection_info)>("MHD_get_connection_info");
  api.add_response_header = library.Find<decltype(::MHD_add_response_header)>("MHD_add_response_header");
  api.queue_response = library.Find<decltype(::MHD_queue_response)>("MHD_queue_response");
  api.destroy_response = library.Find<decltype(::MHD_destroy_response)>("MHD_destroy_response");
  api.start_daemon = library.Find<decltype(::MHD_start_daemon)>("MHD_start_daemon");
  api.stop_daemon = library.Find<decltype(::MHD_stop_daemon)>("MHD_stop_daemon");
  return api;
}

}  // namespace

const MicrohttpdLibrary& Microhttpd() {
  // A failed load is tried again at the next call.
  static const MicrohttpdLibrary api = Load();
  return api;
}

}  // namespace helvanta
