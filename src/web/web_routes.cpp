#include "web/web_routes.hpp"

#include <chrono>
#include <cstdint>

#include "history/history_reader.hpp"
#include "web/basic_auth.hpp"
#include "web/live_stream.hpp"

namespace helvanta {

namespace {

// The page loads nothing from elsewhere and may not be framed by another site.
constexpr std::string_view kPagePolicy =
    "default-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; frame-ancestors 'none'";

THttpResponse PlainText(int status, std::string text) {
  return {status, "text/plain; charset=utf-8", std::move(text) + "\n", {{"Cache-Control", "no-store"}}};
}

std::int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The date of a snapshot's "date" field, a JSON string.
std::string_view SnapshotDate(const TWebSnapshot& snapshot) {
  std::string_view date = snapshot.parts.fields[1];
  if (date.size() >= 2 && date.front() == '"') date = date.substr(1, date.size() - 2);
  return date;
}

}  // namespace

TWebRoutes::TWebRoutes(TSnapshotSlot& slot, std::string user, std::string password, std::string dygraphsFolder)
    : slot_(slot), user_(std::move(user)), password_(std::move(password)), files_(std::move(dygraphsFolder)) {}

TWebRoutes::~TWebRoutes() = default;

THttpResponse TWebRoutes::Answer(const THttpRequest& request) {
  THttpResponse response;
  if (request.method != "GET" && request.method != "HEAD") {
    response = PlainText(405, "Only GET and HEAD are answered here.");
    response.headers.emplace_back("Allow", "GET, HEAD");
  } else if (request.targetLength > kMaxTargetLength) {
    response = PlainText(414, "The request target is longer than " + std::to_string(kMaxTargetLength) + " bytes.");
  } else if (request.arguments > kMaxArguments) {
    response = PlainText(400, "The request has more than " + std::to_string(kMaxArguments) + " query arguments.");
  } else if (!user_.empty() && !BasicAuthMatches(request.authorization.value_or(""), user_, password_)) {
    // Held back on this connection's own thread; nobody else waits for it.
    slot_.Pause(std::chrono::milliseconds(logins_.Failed(request.client, SteadyMs())));
    response = PlainText(401, "Log in with the user and password of the [Web] settings.");
    response.headers.emplace_back("WWW-Authenticate", "Basic realm=\"Helvanta\", charset=\"UTF-8\"");
  } else {
    if (!user_.empty()) logins_.Succeeded(request.client);
    if (request.path == "/metrics") {
      const std::shared_ptr<const TWebSnapshot> snapshot = slot_.Read();
      response = snapshot ? THttpResponse{200,
                                          std::string(kMetricsContentType),
                                          MetricsText(snapshot->metrics),
                                          {{"Cache-Control", "no-store"}}}
                          : PlainText(503, "Starting up.");
    } else if (request.path.starts_with("/api/")) {
      const std::shared_ptr<const TWebSnapshot> snapshot = slot_.Read();
      response = snapshot ? Api(request, *snapshot) : JsonError(503, "starting up");
    } else {
      response = StaticFile(request);
    }
  }
  response.headers.emplace_back("X-Content-Type-Options", "nosniff");
  response.headers.emplace_back("Referrer-Policy", "no-referrer");
  return response;
}

THttpResponse TWebRoutes::StaticFile(const THttpRequest& request) {
  const std::shared_ptr<const TStaticFile> file = files_.Find(request.path);
  if (!file) {
    return TStaticFiles::IsDygraphs(request.path)
               ? PlainText(404, "Dygraphs is not installed (Debian package libjs-dygraphs).")
               : PlainText(404, "Not found.");
  }
  // The page's own files change with the program, so the browser asks again at every load
  // ("no-cache"); Dygraphs changes with its package. What the browser holds costs a 304.
  const std::string cache = TStaticFiles::IsDygraphs(request.path) ? "max-age=86400" : "no-cache";
  THttpResponse response{200, std::string(file->contentType), {}, {{"Cache-Control", cache}, {"ETag", file->tag}}};
  response.headers.emplace_back("Vary", "Accept-Encoding");
  if (request.ifNoneMatch && TagMatches(*request.ifNoneMatch, file->tag)) {
    response.status = 304;
    return response;
  }
  if (request.acceptEncoding && AcceptsGzip(*request.acceptEncoding)) {
    response.body = file->gzip;
    response.headers.emplace_back("Content-Encoding", "gzip");
  } else {
    response.body = file->body;
  }
  if (file->path.ends_with(".html")) response.headers.emplace_back("Content-Security-Policy", std::string(kPagePolicy));
  return response;
}

THttpResponse TWebRoutes::Api(const THttpRequest& request, const TWebSnapshot& snapshot) {
  if (request.path == "/api/live") return JsonResponse(200, LiveJson(snapshot.parts));
  if (request.path == "/api/events") return LiveStream(slot_);
  if (request.path == "/api/day" || request.path == "/api/energy") {
    std::unique_ptr<THistoryReader> reader = TakeReader(snapshot.historyPath);
    THttpResponse response =
        request.path == "/api/day"
            ? days_.Answer(*reader, {request.argument("date"), request.argument("since"), SnapshotDate(snapshot),
                                     request.acceptEncoding && AcceptsGzip(*request.acceptEncoding)})
            : EnergyAnswer(*reader, request.argument("month"), request.argument("year"));
    ReturnReader(std::move(reader));
    return response;
  }
  return JsonError(404,
                   "no such API: /api/live, /api/events, /api/day?date=YYYY-MM-DD[&since=K], "
                   "/api/energy?month=YYYY-MM or ?year=YYYY");
}

std::string TWebRoutes::TakeLoginReport() { return logins_.TakeReport(SteadyMs()); }

std::unique_ptr<THistoryReader> TWebRoutes::TakeReader(const std::string& path) {
  {
    const std::lock_guard lock(readersMutex_);
    // The database follows the settings (a changed OutputFolder moves it).
    std::erase_if(idleReaders_, [&path](const auto& reader) { return reader->Path() != path; });
    if (!idleReaders_.empty()) {
      std::unique_ptr<THistoryReader> reader = std::move(idleReaders_.back());
      idleReaders_.pop_back();
      return reader;
    }
  }
  return std::make_unique<THistoryReader>(path);
}

void TWebRoutes::ReturnReader(std::unique_ptr<THistoryReader> reader) {
  // A few connections stay open for the next requests; a burst's others close.
  constexpr std::size_t kIdleReaders = 4;
  const std::lock_guard lock(readersMutex_);
  if (idleReaders_.size() < kIdleReaders) idleReaders_.push_back(std::move(reader));
}

}  // namespace helvanta
