#include "sim/simulator_posix.hpp"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "runtime/clock.hpp"
#include "sim/output_plan.hpp"

namespace helvanta::sim {

namespace {

// How long to leave a line alone that reports a hang-up or an error, so that waiting
// for it does not spin.
constexpr std::int64_t kQuietMicros = 100'000;

FaultRates RatesOf(const SimOptions& o) { return {o.drop, o.garble, o.noise, o.late, o.split}; }

}  // namespace

Simulator::Simulator(const SimOptions& options, std::uint64_t seed, SerialLine& line, SimLog& log,
                     const SimClock& clock)
    : options_(options),
      line_(line),
      log_(log),
      clock_(clock),
      model_(seed),
      bank_(model_),
      faults_(RatesOf(options), Random::Mix(seed + 1)) {}

Simulator::End Simulator::Run(const sigset_t& waitMask, const volatile std::sig_atomic_t& stop) {
  while (stop == 0) {
    const std::int64_t now = SteadyMicros();
    if (const auto t = parser_.Expire(now)) OnTelegram(*t);
    WriteDue();
    if (hungUp_) return End::HungUp;

    // A line left alone is not polled at all: poll reports a hang-up whatever it is asked.
    pollfd pfd{-1, 0, 0};
    if (now >= quietUntilMicros_) {
      pfd.fd = line_.Fd();
      pfd.events = static_cast<short>(POLLIN | (waitingToWrite_ ? POLLOUT : 0));
    }
    timespec timeout{};
    const timespec* timeoutPtr = nullptr;
    if (const auto wake = NextWakeMicros()) {
      const std::int64_t wait = std::max<std::int64_t>(0, *wake - SteadyMicros());
      timeout.tv_sec = static_cast<time_t>(wait / 1'000'000);
      timeout.tv_nsec = static_cast<long>(wait % 1'000'000 * 1000);
      timeoutPtr = &timeout;
    }
    const int ready = ppoll(&pfd, 1, timeoutPtr, &waitMask);
    if (ready < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "waiting for the line failed");
    }
    if (ready == 0) continue;
    if ((pfd.revents & POLLOUT) != 0) waitingToWrite_ = false;
    if ((pfd.revents & POLLIN) != 0) {
      ReadLine();
    } else if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      if (!reportedHangUp_) {
        reportedHangUp_ = true;
        std::fprintf(stderr, "helvanta-sim: %s reports a hang-up; waiting for it to come back\n", line_.Path().c_str());
      }
      quietUntilMicros_ = SteadyMicros() + kQuietMicros;
    }
  }
  return End::Stopped;
}

std::optional<std::int64_t> Simulator::NextWakeMicros() const {
  std::optional<std::int64_t> wake = parser_.Deadline();
  auto consider = [&](std::int64_t t) { wake = wake ? std::min(*wake, t) : t; };
  if (!queue_.empty() && !waitingToWrite_) consider(queue_.front().dueMicros);
  if (quietUntilMicros_ > SteadyMicros()) consider(quietUntilMicros_);
  return wake;
}

void Simulator::ReadLine() {
  char buffer[512];
  const ssize_t n = read(line_.Fd(), buffer, sizeof buffer);
  if (n < 0) {
    if (errno == EAGAIN || errno == EINTR) return;
    if (!reportedHangUp_) {
      reportedHangUp_ = true;
      std::fprintf(stderr, "helvanta-sim: reading %s failed (%s); retrying\n", line_.Path().c_str(),
                   std::system_category().message(errno).c_str());
    }
    quietUntilMicros_ = SteadyMicros() + kQuietMicros;
    return;
  }
  if (n == 0) {
    quietUntilMicros_ = SteadyMicros() + kQuietMicros;
    return;
  }
  reportedHangUp_ = false;
  const std::int64_t now = SteadyMicros();
  for (ssize_t i = 0; i < n; ++i) {
    if (const auto t = parser_.Feed(buffer[i], now)) OnTelegram(*t);
  }
  stats_.skippedBytes = parser_.SkippedBytes();
}

void Simulator::WriteDue() {
  while (!queue_.empty() && !waitingToWrite_ && !hungUp_) {
    QueuedPiece& piece = queue_.front();
    if (piece.dueMicros > SteadyMicros()) return;
    const ssize_t n = write(line_.Fd(), piece.bytes.data(), piece.bytes.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        waitingToWrite_ = true;
        return;
      }
      throw std::system_error(errno, std::generic_category(), "writing to " + line_.Path() + " failed");
    }
    piece.bytes.erase(0, static_cast<std::size_t>(n));
    if (!piece.bytes.empty()) {
      waitingToWrite_ = true;
      return;
    }
    const std::optional<AnswerRecord> completes = std::move(piece.completes);
    queue_.pop_front();
    if (completes) OnAnswerSent(*completes);
  }
}

void Simulator::OnTelegram(const ReceivedTelegram& telegram) {
  ++stats_.received;
  RequestResult result = telegram.result;
  const Register* reg = nullptr;
  if (result == RequestResult::Ok) {
    reg = registers_.Find(telegram.code);
    if (reg == nullptr) result = RequestResult::UnknownCode;
  }
  LogLine("rx", telegram.code, "-", ResultName(result), std::nullopt);

  // A held answer goes out once the next request has arrived, whatever that request is.
  if (held_) {
    HeldAnswer held = std::move(*held_);
    held_.reset();
    Schedule(std::move(held.bytes), held.record);
  }
  if (result != RequestResult::Ok) {
    ++stats_.malformed[result];
    return;
  }

  const std::int64_t now = SteadyMicros();
  const Reading reading = bank_.Read(*reg, clock_.At(now), now);
  AnswerRecord record{reg->code, WordText(reading.word), faults_.Decide(), reading.total};
  if (record.faults.drop) {
    ++stats_.dropped;
    LogLine("no", record.code, record.word, record.faults.Names(), record.total);
    return;
  }
  if (record.faults.garble) {
    faults_.Garble(record.word);
    ++stats_.garbled;
  }
  std::string bytes;
  if (record.faults.noise) {
    bytes = faults_.NoiseBytes();
    ++stats_.noisy;
  }
  bytes += BuildAnswerFrame(record.code, record.word);
  if (record.faults.late) {
    ++stats_.late;
    held_ = HeldAnswer{std::move(bytes), std::move(record)};
    return;
  }
  Schedule(std::move(bytes), record);
}

void Simulator::Schedule(std::string bytes, const AnswerRecord& record) {
  const std::int64_t start = std::max(SteadyMicros(), lineFreeMicros_);
  const std::vector<SplitPoint> splits =
      record.faults.split ? faults_.SplitPlan(bytes.size()) : std::vector<SplitPoint>{};
  OutputPlan plan = PlanOutput(bytes, start, !options_.fast, splits);
  lineFreeMicros_ = plan.endMicros;
  for (TimedPiece& p : plan.pieces) queue_.push_back({p.dueMicros, std::move(p.bytes), std::nullopt});
  queue_.back().completes = record;
}

void Simulator::OnAnswerSent(const AnswerRecord& record) {
  ++stats_.answered;
  LogLine("tx", record.code, record.word, record.faults.Names(), record.total);
  if (options_.hangupAfter && stats_.answered >= *options_.hangupAfter) hungUp_ = true;
}

void Simulator::LogLine(std::string_view direction, std::string_view code, std::string_view word,
                        std::string_view outcome, const std::optional<std::uint32_t>& total) {
  std::string line = FormatTimestamp(ProgramClock().Now()) + " " + FormatTimestamp(clock_.Now()) + " ";
  line += direction;
  line.append(" ").append(Printable(code)).append(" ").append(Printable(word)).append(" ");
  line += outcome;
  if (total) line += " total=" + std::to_string(*total);
  log_.Line(line);
}

}  // namespace helvanta::sim
