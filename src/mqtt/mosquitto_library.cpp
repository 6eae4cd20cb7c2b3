#include "mqtt/mosquitto_library.hpp"

#include "mqtt/mqtt_session.hpp"
#include "runtime/optional_libraries.hpp"
#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

MosquittoLibrary Load() {
  static const SharedLibrary library(kMosquittoLibraryFile);
  MosquittoLibrary api{};
  api.lib_init = library.Find<decltype(::mosquitto_lib_init)>("mosquitto_lib_init");
  api.new_ = library.Find<decltype(::mosquitto_new)>("mosquitto_new");
  api.destroy = library.Find<decltype(::mosquitto_destroy)>("mosquitto_destroy");
  api.username_pw_set = library.Find<decltype(::mosquitto_username_pw_set)>("mosquitto_username_pw_set");
  api.tls_set = library.Find<decltype(::mosquitto_tls_set)>("mosquitto_tls_set");
  api.tls_opts_set = library.Find<decltype(::mosquitto_tls_opts_set)>("mosquitto_tls_opts_set");
  api.strerror = library.Find<decltype(::mosquitto_strerror)>("mosquitto_strerror");
  api.connack_string = library.Find<decltype(::mosquitto_connack_string)>("mosquitto_connack_string");
  api.reason_string = library.Find<decltype(::mosquitto_reason_string)>("mosquitto_reason_string");
  api.int_option = library.Find<decltype(::mosquitto_int_option)>("mosquitto_int_option");
  api.will_set = library.Find<decltype(::mosquitto_will_set)>("mosquitto_will_set");
  api.connect = library.Find<decltype(::mosquitto_connect)>("mosquitto_connect");
  api.connect_async = library.Find<decltype(::mosquitto_connect_async)>("mosquitto_connect_async");
  api.disconnect = library.Find<decltype(::mosquitto_disconnect)>("mosquitto_disconnect");
  api.publish = library.Find<decltype(::mosquitto_publish)>("mosquitto_publish");
  api.loop = library.Find<decltype(::mosquitto_loop)>("mosquitto_loop");
  api.loop_read = library.Find<decltype(::mosquitto_loop_read)>("mosquitto_loop_read");
  api.loop_write = library.Find<decltype(::mosquitto_loop_write)>("mosquitto_loop_write");
  api.loop_misc = library.Find<decltype(::mosquitto_loop_misc)>("mosquitto_loop_misc");
  api.socket = library.Find<decltype(::mosquitto_socket)>("mosquitto_socket");
  api.want_write = library.Find<decltype(::mosquitto_want_write)>("mosquitto_want_write");
  api.connect_callback_set = library.Find<decltype(::mosquitto_connect_callback_set)>("mosquitto_connect_callback_set");
  api.disconnect_callback_set =
      library.Find<decltype(::mosquitto_disconnect_callback_set)>("mosquitto_disconnect_callback_set");
  api.publish_callback_set = library.Find<decltype(::mosquitto_publish_callback_set)>("mosquitto_publish_callback_set");
  api.log_callback_set = library.Find<decltype(::mosquitto_log_callback_set)>("mosquitto_log_callback_set");
  return api;
}

}  // namespace

const MosquittoLibrary& Mosquitto() {
  try {
    // A failed load is tried again at the next call.
    static const MosquittoLibrary api = Load();
    return api;
  } catch (const ESharedLibrary& error) {
    throw EMqttSetup(error.what());
  }
}

}  // namespace helvanta
