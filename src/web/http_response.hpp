#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace helvanta {

// An answer of the web server, before it goes on the wire.
struct THttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beyond Content-Type
  // A body without end, sent after `body` piece by piece: each call waits for the next
  // piece; nothing ends the answer.
  std::function<std::optional<std::string>()> stream = nullptr;
};

// A JSON answer that is never cached.
THttpResponse JsonResponse(int status, std::string body);
// {"error": message} with the status.
THttpResponse JsonError(int status, std::string_view message);

}  // namespace helvanta
