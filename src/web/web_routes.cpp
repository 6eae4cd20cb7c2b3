#include "web/web_routes.hpp"

#include <cstdint>
#include <fstream>
#include <iterator>

#include "history/history_reader.hpp"
#include "web/basic_auth.hpp"
#include "web/history_api.hpp"
#include "web/page_files.hpp"

namespace helvanta {

namespace {

// The page loads nothing from elsewhere and may not be framed by another site.
constexpr std::string_view kPagePolicy =
    "default-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; frame-ancestors 'none'";

std::string_view ContentTypeOf(std::string_view path) {
  if (path.ends_with(".html")) return "text/html; charset=utf-8";
  if (path.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (path.ends_with(".css")) return "text/css; charset=utf-8";
  return "application/octet-stream";
}

// A strong entity tag of the content: the same program sends the same files.
std::string EntityTag(std::string_view body) {
  std::uint64_t hash = 14695981039346656037u;  // FNV-1a
  for (const char c : body) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string tag = "\"";
  for (int shift = 60; shift >= 0; shift -= 4) tag += kHex[(hash >> shift) & 0xFu];
  tag += '"';
  return tag;
}

// Whether an If-None-Match header names the tag ("*", or a list of tags, weak ones too).
bool TagMatches(std::string_view header, std::string_view tag) {
  while (!header.empty()) {
    const std::size_t comma = header.find(',');
    std::string_view entry = header.substr(0, comma);
    while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    if (entry.starts_with("W/")) entry.remove_prefix(2);
    if (entry == "*" || entry == tag) return true;
    if (comma == std::string_view::npos) break;
    header.remove_prefix(comma + 1);
  }
  return false;
}

THttpResponse PlainText(int status, std::string text) {
  return {status, "text/plain; charset=utf-8", std::move(text) + "\n", {{"Cache-Control", "no-store"}}};
}

}  // namespace

TWebRoutes::TWebRoutes(const TSnapshotSlot& slot, std::string user, std::string password, std::string dygraphsFolder)
    : slot_(slot), user_(std::move(user)), password_(std::move(password)), dygraphsFolder_(std::move(dygraphsFolder)) {
  for (const TPageFile& file : PageFiles()) pageTags_.push_back(EntityTag(file.body));
}

TWebRoutes::~TWebRoutes() = default;

THttpResponse TWebRoutes::Answer(const THttpRequest& request) {
  THttpResponse response;
  if (request.method != "GET" && request.method != "HEAD") {
    response = PlainText(405, "Only GET and HEAD are answered here.");
    response.headers.emplace_back("Allow", "GET, HEAD");
  } else if (request.targetLength > kMaxTargetLength) {
    response = PlainText(414, "The request target is longer than " + std::to_string(kMaxTargetLength) + " bytes.");
  } else if (!user_.empty() && !BasicAuthMatches(request.authorization.value_or(""), user_, password_)) {
    response = PlainText(401, "Log in with the user and password of the [Web] settings.");
    response.headers.emplace_back("WWW-Authenticate", "Basic realm=\"Helvanta\", charset=\"UTF-8\"");
  } else if (request.path.starts_with("/api/")) {
    const std::shared_ptr<const TWebSnapshot> snapshot = slot_.Read();
    response = snapshot ? Api(request, *snapshot) : JsonError(503, "starting up");
  } else if (request.path == "/dygraphs/dygraph.min.js") {
    response = Dygraphs("dygraph.min.js", "text/javascript; charset=utf-8");
  } else if (request.path == "/dygraphs/dygraph.min.css") {
    response = Dygraphs("dygraph.min.css", "text/css; charset=utf-8");
  } else {
    const std::string_view path = request.path == "/" ? std::string_view("/index.html") : request.path;
    response = PlainText(404, "Not found.");
    const std::vector<TPageFile>& files = PageFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
      const TPageFile& file = files[i];
      if (file.path != path) continue;
      const std::string& tag = pageTags_[i];
      // The browser asks again at every load ("no-cache"); what it holds already costs a 304.
      if (request.ifNoneMatch && TagMatches(*request.ifNoneMatch, tag)) {
        response = {304, std::string(ContentTypeOf(path)), "", {{"Cache-Control", "no-cache"}, {"ETag", tag}}};
        break;
      }
      response = {200,
                  std::string(ContentTypeOf(path)),
                  std::string(file.body),
                  {{"Cache-Control", "no-cache"}, {"ETag", tag}}};
      if (path.ends_with(".html")) response.headers.emplace_back("Content-Security-Policy", std::string(kPagePolicy));
    }
  }
  response.headers.emplace_back("X-Content-Type-Options", "nosniff");
  response.headers.emplace_back("Referrer-Policy", "no-referrer");
  return response;
}

THttpResponse TWebRoutes::Api(const THttpRequest& request, const TWebSnapshot& snapshot) {
  if (request.path == "/api/live") return JsonResponse(200, snapshot.liveJson);
  if (request.path == "/api/day") {
    const std::lock_guard lock(readerMutex_);
    return DayAnswer(Reader(snapshot.historyPath), request.argument("date"));
  }
  if (request.path == "/api/energy") {
    const std::lock_guard lock(readerMutex_);
    return EnergyAnswer(Reader(snapshot.historyPath), request.argument("month"), request.argument("year"));
  }
  return JsonError(404, "no such API: /api/live, /api/day?date=YYYY-MM-DD, /api/energy?month=YYYY-MM or ?year=YYYY");
}

THttpResponse TWebRoutes::Dygraphs(std::string_view name, std::string_view contentType) const {
  std::ifstream in(dygraphsFolder_ + std::string(name), std::ios::binary);
  if (!in) return PlainText(404, "Dygraphs is not installed (Debian package libjs-dygraphs).");
  std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {200, std::string(contentType), std::move(body), {{"Cache-Control", "max-age=86400"}}};
}

THistoryReader& TWebRoutes::Reader(const std::string& path) {
  // The database follows the settings (a changed OutputFolder moves it).
  if (!reader_ || reader_->Path() != path) reader_ = std::make_unique<THistoryReader>(path);
  return *reader_;
}

}  // namespace helvanta
