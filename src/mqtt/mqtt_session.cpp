#include "mqtt/mqtt_session.hpp"

#include "mqtt/mosquitto_errno.hpp"
#include "mqtt/mosquitto_library.hpp"

#include <mutex>

namespace helvanta {

void MosquittoDeleter::operator()(mosquitto* handle) const { Mosquitto().destroy(handle); }

MosquittoHandle NewMosquittoClient(const MqttConnectionSettings& settings, const std::string& clientId,
                                   void* userdata) {
  // The library's global set-up is not thread-safe; the first client does it, once.
  static std::once_flag initialised;
  std::call_once(initialised, [] { Mosquitto().lib_init(); });
  MosquittoHandle handle(Mosquitto().new_(clientId.c_str(), true, userdata));
  if (!handle) throw EMqttSetup("cannot create an MQTT client: " + MosquittoReason(MOSQ_ERR_ERRNO, errno));
  // MQTT 5, so that a broker says why it ends a connection (another client with the same id).
  if (const int rc = Mosquitto().int_option(handle.get(), MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
      rc != MOSQ_ERR_SUCCESS) {
    throw EMqttSetup("MQTT 5 refused: " + MosquittoReason(rc, errno));
  }
  if (!settings.user.empty()) {
    const int rc = Mosquitto().username_pw_set(handle.get(), settings.user.c_str(),
                                               settings.password.empty() ? nullptr : settings.password.c_str());
    if (rc != MOSQ_ERR_SUCCESS) throw EMqttSetup("user name refused: " + MosquittoReason(rc, errno));
  }
  if (!settings.caFile.empty()) {
    int rc = Mosquitto().tls_set(handle.get(), settings.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc == MOSQ_ERR_SUCCESS) rc = Mosquitto().tls_opts_set(handle.get(), 1, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) throw EMqttSetup(settings.caFile + ": " + MosquittoReason(rc, errno));
  }
  return handle;
}

std::string ConnackReason(int reasonCode) {
  // The two refusals MQTT 3.1.1 knew keep their wording.
  if (reasonCode == MQTT_RC_BAD_USERNAME_OR_PASSWORD) {
    return Mosquitto().connack_string(CONNACK_REFUSED_BAD_USERNAME_PASSWORD);
  }
  if (reasonCode == MQTT_RC_NOT_AUTHORIZED) return Mosquitto().connack_string(CONNACK_REFUSED_NOT_AUTHORIZED);
  return Mosquitto().reason_string(reasonCode);
}

std::string MosquittoReason(int result, int errnoValue) {
  switch (result) {
    case MOSQ_ERR_ERRNO: return MosquittoErrnoText(errnoValue);
    case MOSQ_ERR_EAI: return "the host name does not resolve";
    case MOSQ_ERR_KEEPALIVE: return "the broker stopped answering";
    default: return Mosquitto().strerror(result);
  }
}

}  // namespace helvanta
