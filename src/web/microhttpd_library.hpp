#pragma once

#include <microhttpd.h>

namespace helvanta {

// The functions of libmicrohttpd that Helvanta calls. The library is loaded when the web
// page starts rather than with the program: it brings GnuTLS along, megabytes of memory
// that a service without the page should not carry.
struct MicrohttpdLibrary {
  decltype(&::MHD_lookup_connection_value) lookup_connection_value;
  decltype(&::MHD_create_response_from_buffer) create_response_from_buffer;
  decltype(&::MHD_create_response_from_callback) create_response_from_callback;
  decltype(&::MHD_get_connection_info) get_connection_info;
  decltype(&::MHD_add_response_header) add_response_header;
  decltype(&::MHD_queue_response) queue_response;
  decltype(&::MHD_destroy_response) destroy_response;
  decltype(&::MHD_start_daemon) start_daemon;
  decltype(&::MHD_stop_daemon) stop_daemon;
};

// The loaded library; throws ESharedLibrary when it cannot be loaded.
const MicrohttpdLibrary& Microhttpd();

}  // namespace helvanta
