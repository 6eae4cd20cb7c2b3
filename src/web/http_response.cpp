#include "web/http_response.hpp"

#include "mqtt/json_text.hpp"

namespace helvanta {

THttpResponse JsonResponse(int status, std::string body) {
  return {status, "application/json", std::move(body), {{"Cache-Control", "no-store"}}};
}

THttpResponse JsonError(int status, std::string_view message) {
  std::string body = "{\"error\":";
  AppendJsonString(body, message);
  body += "}";
  return JsonResponse(status, std::move(body));
}

}  // namespace helvanta
