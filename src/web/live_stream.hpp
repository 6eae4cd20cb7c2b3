#pragma once

#include "web/http_response.hpp"
#include "web/live_snapshot.hpp"

namespace helvanta {

// /api/events: the live values as Server-Sent Events. First an event "live" with the
// whole object of /api/live (names, keys and units with the values), then, as each new
// snapshot comes, a message with only what changed in it (LiveChanges); a comment line
// keeps a quiet connection open. It ends when the slot closes.
THttpResponse LiveStream(const TSnapshotSlot& slot);

}  // namespace helvanta
