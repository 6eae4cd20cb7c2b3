#include "year/line_model.hpp"

#include <algorithm>

#include "link/codec.hpp"
#include "sim/output_plan.hpp"

namespace helvanta::year {

namespace {

// What the inverter takes to start its answer once the request is in.
constexpr std::int64_t kTurnaroundMs = 10;

std::int64_t LineMs(std::size_t bytes) { return sim::ByteMicros(static_cast<std::int64_t>(bytes)) / 1000; }

}  // namespace

TLineModel::TLineModel(const TLineFaults& faults, std::uint64_t seed)
    : day_(seed),
      bank_(day_),
      faults_(faults.rates, sim::Random::Mix(seed + 1)),
      random_(sim::Random::Mix(seed + 2)),
      noiseWithStx_(faults.noiseWithStx) {}

void TLineModel::Received(std::string_view bytes, std::int64_t atMs, const DateTime& inverterTime) {
  // The request is in once its last byte has crossed the line.
  const std::int64_t inMs = atMs + LineMs(bytes.size());
  for (const char byte : bytes) {
    if (const auto telegram = parser_.Feed(byte, inMs * 1000)) Answer(*telegram, inMs, inverterTime);
  }
}

void TLineModel::Answer(const sim::ReceivedTelegram& telegram, std::int64_t atMs, const DateTime& inverterTime) {
  ++counts_.requests;
  const bool heldBefore = held_.has_value();
  // A held answer goes out once the next request has come, whatever that request is.
  if (held_) {
    Held held = std::move(*held_);
    held_.reset();
    if (silent_) {
      ++counts_.silenced;
    } else {
      Schedule(std::move(held.bytes), held.answer, held.split, atMs);
    }
  }
  const sim::Register* reg = telegram.result == sim::RequestResult::Ok ? registers_.Find(telegram.code) : nullptr;
  if (reg == nullptr) {
    ++counts_.malformedRequests;
    return;
  }
  // Read as the inverter reads it, so the halves of a 32-bit count belong together.
  const sim::Reading reading = bank_.Read(*reg, inverterTime, atMs * 1000);
  const sim::AnswerFaults f = faults_.Decide();
  if (silent_) {
    ++counts_.silenced;
    return;
  }
  if (f.drop) {
    ++counts_.dropped;
    return;
  }
  TAnswerSent answer{reg->index, sim::WordText(reading.word), !f.garble, reading.total};
  if (f.garble) {
    faults_.Garble(answer.word);
    ++counts_.garbled;
  }
  std::string bytes = f.noise ? Noise() : std::string();
  bytes += sim::BuildAnswerFrame(reg->code, answer.word);
  if (f.split) ++counts_.split;
  if (f.late) {
    ++counts_.late;
    if (heldBefore) ++counts_.lateChains;
    held_ = Held{std::move(bytes), std::move(answer), f.split};
    return;
  }
  Schedule(std::move(bytes), answer, f.split, atMs);
}

std::string TLineModel::Noise() {
  ++counts_.noisy;
  std::string bytes = faults_.NoiseBytes();
  if (random_.Chance(noiseWithStx_)) {
    ++counts_.noisyWithStx;
    bytes[static_cast<std::size_t>(random_.Between(0, static_cast<std::int64_t>(bytes.size()) - 1))] = STX;
  }
  return bytes;
}

void TLineModel::Schedule(std::string bytes, const TAnswerSent& answer, bool split, std::int64_t fromMs) {
  ++counts_.answers;
  const std::int64_t startMs = std::max(fromMs + kTurnaroundMs, lineFreeMs_);
  const std::vector<sim::SplitPoint> cuts = split ? faults_.SplitPlan(bytes.size()) : std::vector<sim::SplitPoint>{};
  std::int64_t pausesMs = 0;
  std::size_t from = 0;
  // Each piece is there when its last byte is; the pauses of a split answer add up.
  auto piece = [&](std::size_t to) {
    pieces_.push_back({startMs + pausesMs + LineMs(to), bytes.substr(from, to - from), std::nullopt});
    from = to;
  };
  for (const sim::SplitPoint& cut : cuts) {
    piece(cut.offset);
    pausesMs += cut.pauseMicros / 1000;
  }
  piece(bytes.size());
  pieces_.back().completes = answer;
  lineFreeMs_ = pieces_.back().dueMs;
}

void TLineModel::TakeDue(std::int64_t untilMs, const std::function<void(const TLinePiece&)>& take) {
  while (!pieces_.empty() && pieces_.front().dueMs <= untilMs) {
    const TLinePiece piece = std::move(pieces_.front());
    pieces_.pop_front();
    take(piece);
  }
}

void TLineModel::HungUp() {
  for (const TLinePiece& piece : pieces_) counts_.lostInHangUps += piece.completes ? 1 : 0;
  if (held_) ++counts_.lostInHangUps;
  pieces_.clear();
  held_.reset();
  parser_ = sim::RequestParser();
  lineFreeMs_ = 0;
}

}  // namespace helvanta::year
