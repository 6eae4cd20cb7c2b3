#include "year/sent_values.hpp"

#include "link/codec.hpp"
#include "logging/measurand_presence.hpp"
#include "sim/telegram.hpp"

namespace helvanta::year {

namespace {

bool CombinesWithPrevious(int index) {
  const std::string_view descriptor = MeasurandDefinitions()[static_cast<std::size_t>(index)].descriptor;
  return index > 0 && descriptor.size() > 5 && descriptor[5] == '1';
}

std::string_view RequestCode(int index) {
  return MeasurandDefinitions()[static_cast<std::size_t>(index)].descriptor.substr(0, 4);
}

}  // namespace

std::string HostValueText(int index, std::string_view word, std::string_view lowWord) {
  // The decoder works on the program's table: it decodes there and both entries are put
  // back as they were, so the service never sees the scratch answer.
  const auto i = static_cast<std::size_t>(index);
  const TMeasurand keep = Measurands[i];
  const TMeasurand keepLow = index > 0 ? Measurands[i - 1] : TMeasurand{};
  if (index > 0) {
    // The low word as answered for the request just before.
    Measurands[i - 1].RawWord = lowWord;
    Measurands[i - 1].Value = lowWord;
  }
  const std::string frame = sim::BuildAnswerFrame(RequestCode(index), word);
  DecodeAnswer(std::string_view(frame).substr(1), index);
  std::string text = Measurands[i].Value;
  Measurands[i] = keep;
  if (index > 0) Measurands[i - 1] = keepLow;
  return text;
}

void TSentValues::Note(const TAnswerSent& answer, std::int64_t atMs) {
  if (!answer.intact) return;
  const int index = answer.index;
  if (answer.total && CombinesWithPrevious(index)) {
    Add(index,
        HostValueText(index, sim::WordText(static_cast<std::uint16_t>(*answer.total >> 16)),
                      sim::WordText(static_cast<std::uint16_t>(*answer.total & 0xFFFF))),
        atMs);
  } else if (answer.total && index + 1 < kMeasurandCount && CombinesWithPrevious(index + 1)) {
    // The low half (a measurand of no row of its own): the count it belongs to is sent with it.
    Add(index + 1,
        HostValueText(index + 1, sim::WordText(static_cast<std::uint16_t>(*answer.total >> 16)), answer.word), atMs);
  } else {
    Add(index, HostValueText(index, answer.word, {}), atMs);
  }
}

void TSentValues::Add(int index, std::string text, std::int64_t atMs) {
  std::deque<Entry>& entries = sent_[static_cast<std::size_t>(index)];
  // Answers arrive in time order; older than the window they can no longer count.
  while (!entries.empty() && atMs - entries.front().atMs > kPresenceWindowMs) entries.pop_front();
  entries.push_back({atMs, std::move(text)});
}

void TSentValues::ForEachSent(int index, std::int64_t atMs,
                              const std::function<void(std::string_view text)>& each) const {
  if (index < 0 || index >= kMeasurandCount) return;
  for (const Entry& entry : sent_[static_cast<std::size_t>(index)]) {
    const std::int64_t age = atMs - entry.atMs;
    if (age >= 0 && age <= kPresenceWindowMs) each(entry.text);
  }
}

bool TSentValues::Sent(int index, std::string_view text, std::int64_t atMs) const {
  bool found = false;
  ForEachSent(index, atMs, [&](std::string_view sent) { found = found || sent == text; });
  return found;
}

}  // namespace helvanta::year
