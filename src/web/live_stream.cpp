#include "web/live_stream.hpp"

#include <chrono>
#include <memory>

namespace helvanta {

namespace {

// Below the server's idle timeout, so that a page with nothing new is not cut off.
constexpr std::chrono::milliseconds kKeepAlive{5'000};

std::string Event(std::string_view name, std::string_view data) {
  std::string event;
  if (!name.empty()) {
    event += "event: ";
    event += name;
    event += '\n';
  }
  event += "data: ";
  event += data;
  event += "\n\n";
  return event;
}

}  // namespace

THttpResponse LiveStream(const TSnapshotSlot& slot) {
  std::shared_ptr<const TWebSnapshot> sent = slot.Read();
  // A browser that lost the stream asks again after this many milliseconds.
  std::string first = "retry: 3000\n";
  first += Event("live", LiveJson(sent->parts));
  auto next = [&slot, sent]() mutable -> std::optional<std::string> {
    while (true) {
      std::shared_ptr<const TWebSnapshot> newer = slot.WaitNewer(sent->version, kKeepAlive);
      if (!newer) {
        if (slot.Closed()) return std::nullopt;
        return std::string(":\n\n");
      }
      const std::string changes = LiveChanges(sent->parts, newer->parts);
      sent = std::move(newer);
      if (!changes.empty()) return Event({}, changes);
    }
  };
  THttpResponse response{200, "text/event-stream", std::move(first), {{"Cache-Control", "no-store"}}};
  response.stream = std::move(next);
  return response;
}

}  // namespace helvanta
