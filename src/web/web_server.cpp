#include "web/web_server.hpp"

#include "web/microhttpd_library.hpp"

#include <cstring>
#include <optional>

#include "runtime/shared_library.hpp"
#include "web/listen_socket.hpp"
#include "web/web_routes.hpp"

namespace helvanta {

namespace {

// What the server knows of a request before its handler runs.
struct TRequestContext {
  std::size_t targetLength = 0;
  bool seen = false;      // the handler has been called for it
  bool answered = false;  // its answer is queued
};

std::optional<std::string_view> Lookup(MHD_Connection* connection, MHD_ValueKind kind, std::string_view name) {
  const std::string key(name);
  const char* value = Microhttpd().lookup_connection_value(connection, kind, key.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string_view(value);
}

// Called with the raw request target as soon as the request line is in; its result is
// the request's context.
void* NoteTarget(void*, const char* uri, MHD_Connection*) {
  auto* context = new TRequestContext;
  context->targetLength = std::strlen(uri);
  return context;
}

void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
  delete static_cast<TRequestContext*>(*context);
  *context = nullptr;
}

MHD_Result Queue(MHD_Connection* connection, const THttpResponse& answer) {
  MHD_Response* response = Microhttpd().create_response_from_buffer(
      answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  if (!answer.contentType.empty())
    Microhttpd().add_response_header(response, "Content-Type", answer.contentType.c_str());
  for (const auto& [name, value] : answer.headers)
    Microhttpd().add_response_header(response, name.c_str(), value.c_str());
  const MHD_Result result = Microhttpd().queue_response(connection, static_cast<unsigned>(answer.status), response);
  Microhttpd().destroy_response(response);
  return result;
}

MHD_Result Access(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*, const char*,
                  std::size_t* uploadSize, void** context) {
  auto* request = static_cast<TRequestContext*>(*context);
  if (request == nullptr) return MHD_NO;
  const std::string_view verb = method;
  const bool readable = verb == "GET" || verb == "HEAD";
  // A GET is answered once it has been read whole, so the connection can stay open for
  // the next one; anything else is refused at once, without reading its body.
  if (!request->seen && readable) {
    request->seen = true;
    return MHD_YES;
  }
  if (*uploadSize != 0 || request->answered) {
    *uploadSize = 0;
    return MHD_YES;
  }
  request->answered = true;
  THttpRequest parsed;
  parsed.method = verb;
  parsed.path = url;
  parsed.targetLength = request->targetLength;
  parsed.authorization = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
  parsed.ifNoneMatch = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
  parsed.argument = [connection](std::string_view name) { return Lookup(connection, MHD_GET_ARGUMENT_KIND, name); };
  return Queue(connection, static_cast<TWebRoutes*>(cls)->Answer(parsed));
}

}  // namespace

TWebServer::TWebServer(TWebRoutes& routes, TLimits limits) : routes_(routes), limits_(limits) {}

TWebServer::~TWebServer() { Stop(); }

std::string TWebServer::Start(const TListenAddress& address) {
  Stop();
  const MicrohttpdLibrary* library = nullptr;
  try {
    library = &Microhttpd();
  } catch (const ESharedLibrary& error) {
    return error.what();
  }
  const TListenSocket listener = OpenListenSocket(address);
  if (listener.handle < 0) return listener.error;
  daemon_ = library->start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO, 0, nullptr, nullptr, &Access,
                                  &routes_, MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(listener.handle),
                                  MHD_OPTION_CONNECTION_LIMIT, limits_.connections, MHD_OPTION_CONNECTION_TIMEOUT,
                                  limits_.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.connectionMemory,
                                  MHD_OPTION_URI_LOG_CALLBACK, &NoteTarget, nullptr, MHD_OPTION_NOTIFY_COMPLETED,
                                  &Completed, nullptr, MHD_OPTION_END);
  if (daemon_ == nullptr) {
    CloseListenSocket(listener.handle);
    return "the HTTP server could not start";
  }
  port_ = listener.port;
  return {};
}

void TWebServer::Stop() {
  if (daemon_ == nullptr) return;
  Microhttpd().stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace helvanta
