#include "link/answer_router.hpp"

#include "link/codec.hpp"

namespace helvanta {

namespace {

constexpr std::size_t kCodeSize = 4;

std::string_view RequestCode(std::int32_t index) {
  return std::string_view(Measurands[static_cast<std::size_t>(index)].Descriptor).substr(0, kCodeSize);
}

}  // namespace

void TAnswerRouter::Requested(std::int32_t index) {
  if (previous_ >= 0 && !previousAnswered_) ++counts_.missed;
  previous_ = current_;
  previousAnswered_ = currentAnswered_;
  current_ = index >= 0 && index < kMeasurandCount ? index : -1;
  currentAnswered_ = false;
  packetsThisRequest_ = 0;
}

void TAnswerRouter::Reset() {
  if (previous_ >= 0 && !previousAnswered_) ++counts_.missed;
  if (current_ >= 0 && !currentAnswered_) ++counts_.missed;
  current_ = previous_ = -1;
  currentAnswered_ = previousAnswered_ = false;
  packetsThisRequest_ = 0;
}

bool TAnswerRouter::Names(std::string_view packet, std::size_t offset, std::int32_t index) const {
  if (index < 0 || offset + kCodeSize > packet.size()) return false;
  const std::string_view code = RequestCode(index);
  return code.size() == kCodeSize && packet.substr(offset, kCodeSize) == code;
}

void TAnswerRouter::Deliver(std::string_view packet) {
  ++counts_.received;
  if (!HasDataWord(packet)) ++counts_.damaged;
  if (current_ < 0) return;
  Learn(packet);
  if (trusted_) {
    DeliverByCode(packet);
  } else {
    DeliverByOrder(packet);
  }
}

void TAnswerRouter::Learn(std::string_view packet) {
  if (trusted_) {
    const bool shows = Names(packet, *trusted_, current_) || Names(packet, *trusted_, previous_);
    misses_ = shows ? 0 : misses_ + 1;
    if (misses_ < kForgetAnswers) return;
    // The answers stopped carrying the code there: start learning afresh.
    trusted_.reset();
    misses_ = 0;
  }
  for (std::size_t offset = 0; offset < kMaxOffsets; ++offset) {
    Streak& streak = streaks_[offset];
    std::string_view code;
    if (Names(packet, offset, current_)) {
      code = RequestCode(current_);
    } else if (Names(packet, offset, previous_)) {
      code = RequestCode(previous_);
    } else {
      streak = {};
      continue;
    }
    if (streak.answers < kLearnAnswers) ++streak.answers;
    streak.codes.emplace(code);
    if (!trusted_ && streak.answers >= kLearnAnswers && streak.codes.size() >= kLearnCodes) trusted_ = offset;
  }
  if (trusted_) streaks_ = {};
}

void TAnswerRouter::DeliverByCode(std::string_view packet) {
  if (Names(packet, *trusted_, current_)) {
    currentAnswered_ = DecodeAnswer(packet, current_) || currentAnswered_;
  } else if (!previousAnswered_ && Names(packet, *trusted_, previous_)) {
    previousAnswered_ = DecodeAnswer(packet, previous_);
  } else {
    ++dropped_;
  }
}

std::optional<std::size_t> TAnswerRouter::Guess() const {
  std::optional<std::size_t> best;
  for (std::size_t offset = 0; offset < kMaxOffsets; ++offset) {
    const Streak& streak = streaks_[offset];
    if (streak.answers < kGuessAnswers || streak.codes.size() < kGuessCodes) continue;
    if (!best || streak.answers > streaks_[*best].answers) best = offset;
  }
  return best;
}

void TAnswerRouter::DeliverByOrder(std::string_view packet) {
  if (const std::optional<std::size_t> guess = Guess();
      guess && Names(packet, *guess, previous_) && !Names(packet, *guess, current_)) {
    // A late answer arriving alone would otherwise take the newest request's place.
    if (!previousAnswered_) {
      previousAnswered_ = DecodeAnswer(packet, previous_);
    } else {
      ++dropped_;
    }
    return;
  }
  ++packetsThisRequest_;
  TMeasurand& entry = Measurands[static_cast<std::size_t>(current_)];
  if (packetsThisRequest_ == 1) {
    firstPacket_ = packet;
    beforeFirst_ = entry;
  } else if (packetsThisRequest_ == 2 && previous_ >= 0 && !previousAnswered_) {
    // Two answers in one second: the first is the previous request's, held back.
    entry = beforeFirst_;
    currentAnswered_ = false;
    previousAnswered_ = DecodeAnswer(firstPacket_, previous_);
  }
  currentAnswered_ = DecodeAnswer(packet, current_) || currentAnswered_;
}

}  // namespace helvanta
