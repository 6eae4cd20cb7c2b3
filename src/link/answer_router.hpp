#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "link/measurands.hpp"

namespace helvanta {

// Credits each answer packet to the request it answers. An answer held back by the
// inverter arrives in the next request's second; decoded as the newest request's, it
// would put one measurand's word into another's value (and into the high word of a
// 32-bit one). The router learns where the inverter's answers carry the request code,
// if they carry it anywhere: once enough answers in a row, to enough different codes,
// show the code at one fixed place, an answer goes to the request it names (the newest,
// or the one before while that is unanswered), and an answer naming neither is dropped.
// Until a place is learnt, a packet that names the previous request at the place that
// shows promise goes to that request; otherwise a second packet in one request's second
// moves the first one to the previous request when that is unanswered, and every other
// packet is decoded as the newest request's.
class TAnswerRouter {
 public:
  // Answers in a row that must show the code at one place, and how many different
  // codes among them, before that place is trusted.
  static constexpr int kLearnAnswers = 16;
  static constexpr std::size_t kLearnCodes = 8;
  // Answers in a row without the code at the trusted place after which it is forgotten.
  static constexpr int kForgetAnswers = 8;
  // While learning: a place that showed the code this often in a row, to this many codes,
  // already says whether a packet is the previous request's late answer.
  static constexpr int kGuessAnswers = 4;
  static constexpr std::size_t kGuessCodes = 3;

  // A request for index went out; the one before stays open for a late answer.
  void Requested(std::int32_t index);
  // The port was opened again: no request is open (what was learnt is kept).
  void Reset();
  // One packet from the framer.
  void Deliver(std::string_view packet);

  // The learnt place of the request code among the packet's characters (0-based).
  std::optional<std::size_t> CodeOffset() const { return trusted_; }
  // Packets dropped because they named no open request.
  std::uint64_t Dropped() const { return dropped_; }

  // What the line brought since the start: every packet, the requests that closed without
  // a good answer (pushed out by two newer ones, or open when the port was opened again),
  // and the packets whose data word was damaged.
  struct TCounts {
    std::uint64_t received = 0;
    std::uint64_t missed = 0;
    std::uint64_t damaged = 0;
  };
  const TCounts& Counts() const { return counts_; }

 private:
  static constexpr std::size_t kMaxOffsets = 16;

  bool Names(std::string_view packet, std::size_t offset, std::int32_t index) const;
  // The place with the longest run that shows promise while nothing is learnt.
  std::optional<std::size_t> Guess() const;
  void Learn(std::string_view packet);
  void DeliverByCode(std::string_view packet);
  void DeliverByOrder(std::string_view packet);

  std::int32_t current_ = -1;
  std::int32_t previous_ = -1;
  bool currentAnswered_ = false;
  bool previousAnswered_ = false;

  // Without a learnt place: the packets of the newest request's second so far, its
  // first packet and the entry as it was before that packet was decoded.
  int packetsThisRequest_ = 0;
  std::string firstPacket_;
  TMeasurand beforeFirst_;

  struct Streak {
    int answers = 0;
    std::set<std::string, std::less<>> codes;
  };
  std::array<Streak, kMaxOffsets> streaks_{};
  std::optional<std::size_t> trusted_;
  int misses_ = 0;
  std::uint64_t dropped_ = 0;
  TCounts counts_;
};

}  // namespace helvanta
