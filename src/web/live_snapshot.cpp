#include "web/live_snapshot.hpp"

#include "link/measurands.hpp"
#include "link/sensor_rows.hpp"
#include "text/json_writer.hpp"
#include "text/utf8_text.hpp"

namespace helvanta {

namespace {

std::string JsonString(std::string_view utf8) {
  TJsonWriter json;
  json.String(utf8);
  return json.Take();
}

}  // namespace

TLiveParts LiveParts(const TLiveState& state) {
  constexpr std::string_view kLocalPattern = "%Y-%M-%DT%h:%m:%s";
  TLiveParts parts;
  parts.fields = {JsonString(FormatTime(state.now, kLocalPattern)),
                  JsonString(FormatTime(state.now, "%Y-%M-%D")),
                  state.connected ? "true" : "false",
                  JsonString(TextAsUtf8(state.port)),
                  JsonString(TextAsUtf8(state.device)),
                  state.lastRecord ? JsonString(FormatTime(*state.lastRecord, kLocalPattern)) : "null",
                  JsonString(TextAsUtf8(state.todaysFile))};
  for (const SensorRow& row : SensorRows()) {
    TJsonWriter json;
    WriteSensorValue(json, row, Measurands[static_cast<std::size_t>(IndexOfRow(row.row))].Value);
    parts.values.push_back(json.Take());
  }
  return parts;
}

std::string LiveJson(const TLiveParts& parts) {
  TJsonWriter json;
  json.BeginObject();
  for (std::size_t i = 0; i < parts.fields.size(); ++i) json.Key(TLiveParts::kFieldNames[i]).RawValue(parts.fields[i]);
  json.Key("values").BeginArray();
  const std::vector<SensorRow>& rows = SensorRows();
  for (std::size_t i = 0; i < rows.size() && i < parts.values.size(); ++i) {
    json.BeginObject();
    json.Member("key", rows[i].key);
    json.Member("name", rows[i].name);
    json.Member("unit", Utf8FromCp1252(RowUnit(rows[i].row)));
    json.Key("value").RawValue(parts.values[i]);
    json.EndObject();
  }
  json.EndArray().EndObject();
  return json.Take();
}

std::string LiveChanges(const TLiveParts& before, const TLiveParts& after) {
  TJsonWriter json;
  json.BeginObject();
  bool any = false;
  for (std::size_t i = 0; i < after.fields.size(); ++i) {
    if (after.fields[i] == before.fields[i]) continue;
    json.Key(TLiveParts::kFieldNames[i]).RawValue(after.fields[i]);
    any = true;
  }
  const std::vector<SensorRow>& rows = SensorRows();
  bool values = false;
  for (std::size_t i = 0; i < rows.size() && i < after.values.size(); ++i) {
    if (i < before.values.size() && after.values[i] == before.values[i]) continue;
    if (!values) json.Key("values").BeginObject();
    values = true;
    json.Key(rows[i].key).RawValue(after.values[i]);
  }
  if (values) json.EndObject();
  json.EndObject();
  return any || values ? json.Take() : std::string();
}

void TSnapshotSlot::Publish(TWebSnapshot snapshot) {
  {
    const std::lock_guard lock(mutex_);
    snapshot.version = ++version_;
    current_ = std::make_shared<const TWebSnapshot>(std::move(snapshot));
  }
  changed_.notify_all();
}

std::shared_ptr<const TWebSnapshot> TSnapshotSlot::Read() const {
  read_.store(true);
  const std::lock_guard lock(mutex_);
  return current_;
}

std::shared_ptr<const TWebSnapshot> TSnapshotSlot::WaitNewer(std::uint64_t version,
                                                             std::chrono::milliseconds most) const {
  read_.store(true);
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, most, [&] { return closed_ || (current_ && current_->version > version); });
  if (closed_ || !current_ || current_->version <= version) return nullptr;
  return current_;
}

bool TSnapshotSlot::Pause(std::chrono::milliseconds time) const {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, time, [&] { return closed_; });
}

void TSnapshotSlot::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool TSnapshotSlot::Closed() const {
  const std::lock_guard lock(mutex_);
  return closed_;
}

void TSnapshotSlot::Open() {
  const std::lock_guard lock(mutex_);
  closed_ = false;
}

}  // namespace helvanta
