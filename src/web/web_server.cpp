#include "web/web_server.hpp"

#include "web/microhttpd_library.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

#include "runtime/shared_library.hpp"
#include "web/listen_socket.hpp"
#include "web/web_routes.hpp"

namespace helvanta {

namespace {

// Ample for a request's work (SQLite's deepest queries need a small part of it), and
// small enough that the C library keeps finished threads' stacks for the next ones.
constexpr std::size_t kThreadStackBytes = 512 * 1024;

// What the server knows of a request before its handler runs.
struct TRequestContext {
  std::size_t targetLength = 0;
  std::size_t arguments = 0;
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
  const std::string_view target = uri;
  context->targetLength = target.size();
  if (const std::size_t query = target.find('?'); query != std::string_view::npos) {
    context->arguments = 1 + static_cast<std::size_t>(std::count(target.begin() + query, target.end(), '&'));
  }
  return context;
}

void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
  delete static_cast<TRequestContext*>(*context);
  *context = nullptr;
}

// A streamed body: what is left of the piece under way, then the next ones.
struct TStreamState {
  std::string pending;
  std::size_t sent = 0;
  std::function<std::optional<std::string>()> next;
};

// Runs on the connection's own thread, so waiting for the next piece holds up no other.
ssize_t ReadStream(void* cls, std::uint64_t, char* buffer, std::size_t most) {
  auto* state = static_cast<TStreamState*>(cls);
  while (state->sent == state->pending.size()) {
    std::optional<std::string> piece = state->next();
    if (!piece) return MHD_CONTENT_READER_END_OF_STREAM;
    state->pending = std::move(*piece);
    state->sent = 0;
  }
  const std::size_t n = std::min(most, state->pending.size() - state->sent);
  std::memcpy(buffer, state->pending.data() + state->sent, n);
  state->sent += n;
  return static_cast<ssize_t>(n);
}

void FreeStream(void* cls) { delete static_cast<TStreamState*>(cls); }

MHD_Response* CreateResponse(const THttpResponse& answer) {
  if (!answer.stream) {
    return Microhttpd().create_response_from_buffer(answer.body.size(), const_cast<char*>(answer.body.data()),
                                                    MHD_RESPMEM_MUST_COPY);
  }
  auto* state = new TStreamState{answer.body, 0, answer.stream};
  MHD_Response* response =
      Microhttpd().create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, &ReadStream, state, &FreeStream);
  if (response == nullptr) delete state;
  return response;
}

MHD_Result Queue(MHD_Connection* connection, const THttpResponse& answer) {
  MHD_Response* response = CreateResponse(answer);
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
  parsed.arguments = request->arguments;
  parsed.authorization = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION);
  parsed.ifNoneMatch = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
  parsed.acceptEncoding = Lookup(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT_ENCODING);
  const MHD_ConnectionInfo* info = Microhttpd().get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  const std::string client = info != nullptr ? AddressText(info->client_addr) : std::string();
  parsed.client = client;
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
  routes_.OpenWaits();
  // A thread per connection: a slow answer, a held-back wrong login or a page's stream
  // of values holds up no other client; the limits bound the threads.
  daemon_ = library->start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_THREAD_PER_CONNECTION | MHD_USE_AUTO, 0, nullptr, nullptr, &Access,
      &routes_, MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(listener.handle), MHD_OPTION_CONNECTION_LIMIT,
      limits_.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.connectionsPerAddress,
      MHD_OPTION_CONNECTION_TIMEOUT, limits_.idleSeconds, MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.connectionMemory,
      MHD_OPTION_THREAD_STACK_SIZE, kThreadStackBytes, MHD_OPTION_URI_LOG_CALLBACK, &NoteTarget, nullptr,
      MHD_OPTION_NOTIFY_COMPLETED, &Completed, nullptr, MHD_OPTION_END);
  if (daemon_ == nullptr) {
    CloseListenSocket(listener.handle);
    return "the HTTP server could not start";
  }
  port_ = listener.port;
  return {};
}

void TWebServer::Stop() {
  if (daemon_ == nullptr) return;
  // Streams and held-back answers end now, so the connections' threads can be joined.
  routes_.EndWaits();
  Microhttpd().stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace helvanta
