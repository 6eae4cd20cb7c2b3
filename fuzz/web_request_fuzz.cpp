// A request to the web page's routes: method, path, Authorization header and query, each
// on a line of its own. Whatever comes, the answer is one of the page's statuses, only a
// known address with the right login is answered 200, and nothing is read from the disk
// but the Dygraphs folder and the history database.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "web/web_routes.hpp"

using helvanta::fuzz::Require;

namespace {

std::string_view NextLine(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace helvanta;
  static helvanta::fuzz::ProcessFolder folder;
  static TSnapshotSlot slot;
  static TWebRoutes routes(slot, "user", "secret", folder.File("dygraphs") + "/");
  static const bool published = [] {
    slot.Publish({{}, folder.File("helvanta.sqlite")});
    return true;
  }();
  Require(published, "no snapshot");

  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string method(NextLine(rest));
  const std::string path(NextLine(rest));
  const std::string authorization(NextLine(rest));
  const std::string_view query = NextLine(rest);
  std::map<std::string, std::string, std::less<>> arguments;
  for (std::string_view q = query; !q.empty();) {
    const std::size_t amp = q.find('&');
    const std::string_view pair = q.substr(0, amp);
    const std::size_t eq = pair.find('=');
    arguments.emplace(std::string(pair.substr(0, eq)),
                      eq == std::string_view::npos ? "" : std::string(pair.substr(eq + 1)));
    q = amp == std::string_view::npos ? std::string_view() : q.substr(amp + 1);
  }

  THttpRequest request;
  request.method = method;
  request.path = path;
  request.targetLength = path.size() + query.size();
  request.arguments = arguments.size();
  if (!authorization.empty()) request.authorization = authorization;
  // Each input from an address of its own: wrong logins from one address are answered
  // ever later, which would slow the fuzzer down to a crawl.
  static std::uint64_t inputs = 0;
  const std::string client = "192.0.2." + std::to_string(++inputs);
  request.client = client;
  request.argument = [&arguments](std::string_view name) -> std::optional<std::string_view> {
    const auto it = arguments.find(name);
    if (it == arguments.end()) return std::nullopt;
    return std::string_view(it->second);
  };
  const THttpResponse response = routes.Answer(request);
  const int s = response.status;
  Require(s == 200 || s == 400 || s == 401 || s == 404 || s == 405 || s == 414 || s == 500 || s == 503,
          "a status the page never gives");
  if (s == 200) {
    // The scheme's name is not case-sensitive, and base64 leaves the last character's
    // low bits free: only the decoded "user:secret" must match.
    std::string_view token = std::string_view(authorization).substr(std::min<std::size_t>(6, authorization.size()));
    while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
    while (!token.empty() && token.back() == ' ') token.remove_suffix(1);
    Require(authorization.size() > 6 && token.size() == 16 && token.starts_with("dXNlcjpzZWNyZX"),
            "answered without the login");
    Require(path == "/" || path == "/metrics" || path.starts_with("/api/") || path.ends_with(".js") ||
                path.ends_with(".css") || path.ends_with(".html"),
            "answered an address the page does not have");
  }
  return 0;
}
