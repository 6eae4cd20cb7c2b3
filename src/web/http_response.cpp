#include "web/http_response.hpp"

#include "text/json_writer.hpp"

namespace helvanta {

THttpResponse JsonResponse(int status, std::string body) {
  return {status, "application/json", std::move(body), {{"Cache-Control", "no-store"}}};
}

THttpResponse JsonError(int status, std::string_view message) {
  TJsonWriter json;
  json.BeginObject().Key("error").String(message).EndObject();
  return JsonResponse(status, json.Take());
}

}  // namespace helvanta
