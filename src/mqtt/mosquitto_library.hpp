#pragma once

#include <mosquitto.h>
#include <mqtt_protocol.h>

namespace helvanta {

// The functions of libmosquitto that Helvanta calls. The library is loaded on first use
// rather than with the program: it brings OpenSSL along, megabytes of memory that a
// service with MQTT off should not carry.
struct MosquittoLibrary {
  decltype(&::mosquitto_lib_init) lib_init;
  decltype(&::mosquitto_new) new_;
  decltype(&::mosquitto_destroy) destroy;
  decltype(&::mosquitto_username_pw_set) username_pw_set;
  decltype(&::mosquitto_tls_set) tls_set;
  decltype(&::mosquitto_tls_opts_set) tls_opts_set;
  decltype(&::mosquitto_strerror) strerror;
  decltype(&::mosquitto_connack_string) connack_string;
  decltype(&::mosquitto_reason_string) reason_string;
  decltype(&::mosquitto_int_option) int_option;
  decltype(&::mosquitto_will_set) will_set;
  decltype(&::mosquitto_connect) connect;
  decltype(&::mosquitto_connect_async) connect_async;
  decltype(&::mosquitto_disconnect) disconnect;
  decltype(&::mosquitto_publish) publish;
  decltype(&::mosquitto_loop) loop;
  decltype(&::mosquitto_loop_read) loop_read;
  decltype(&::mosquitto_loop_write) loop_write;
  decltype(&::mosquitto_loop_misc) loop_misc;
  decltype(&::mosquitto_socket) socket;
  decltype(&::mosquitto_want_write) want_write;
  decltype(&::mosquitto_connect_callback_set) connect_callback_set;
  decltype(&::mosquitto_disconnect_callback_set) disconnect_callback_set;
  decltype(&::mosquitto_publish_callback_set) publish_callback_set;
  decltype(&::mosquitto_log_callback_set) log_callback_set;
};

// The loaded library; throws EMqttSetup when it cannot be loaded.
const MosquittoLibrary& Mosquitto();

}  // namespace helvanta
