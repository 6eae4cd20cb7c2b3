#include "year/service_run.hpp"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>

#include "config/history_settings.hpp"
#include "config/settings.hpp"
#include "history/history_reader.hpp"
#include "logging/date_time_separators.hpp"
#include "runtime/clock.hpp"
#include "runtime/main_loop.hpp"
#include "runtime/program_folder.hpp"
#include "serial/port_device.hpp"
#include "service/helvanta_service.hpp"
#include "support/clock_readings.hpp"
#include "support/temp_folder.hpp"
#include "year/berlin_zone.hpp"
#include "year/day_files.hpp"
#include "year/line_end.hpp"
#include "year/outage_plan.hpp"
#include "year/sent_values.hpp"

namespace helvanta::year {

namespace {

constexpr std::int64_t kTickMs = 1000;
constexpr std::int64_t kDayMs = 86'400'000;
constexpr std::size_t kNeverSentKept = 20;
// How long the event thread may take to notice that the line hung up.
constexpr auto kHangUpNoticeLimit = std::chrono::seconds(2);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : (a - b + 1) / b; }

std::string SettingsText(const testing::TempFolder& folder) {
  return "[Data Logging]\r\nComPort=COM1\r\nTemplateFile=" + folder.File("Template.csv") +
         "\r\nOutputFolder=" + folder.File("Data") +
         "\r\nFrom=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=0\r\n";
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The process-wide settings of the program, set for the run and put back after it.
class TProgramSetup {
 public:
  TProgramSetup(const testing::TempFolder& folder, Clock& clock, const TLineEnd& line)
      : programFolder_(ProgramFolder()) {
    AppSettings = TAppSettings{};
    SetProgramFolder(folder.Path());
    SetProgramClock(&clock);
    // The records read back do not depend on the machine's locale.
    SetDateTimeSeparators(DateTimeSeparators{'.', ':'});
    const std::string down = folder.File("line-down");
    SetPortDeviceResolver([&line, down](const std::string&) { return line.Connected() ? line.DevicePath() : down; });
  }
  ~TProgramSetup() {
    SetPortDeviceResolver({});
    SetDateTimeSeparators(std::nullopt);
    SetProgramClock(nullptr);
    SetProgramFolder(programFolder_);
    AppSettings = TAppSettings{};
  }
  TProgramSetup(const TProgramSetup&) = delete;
  TProgramSetup& operator=(const TProgramSetup&) = delete;

 private:
  std::string programFolder_;
};

class TRun {
 public:
  explicit TRun(const TRunPlan& plan)
      : plan_(plan),
        clock_(plan.start, zone_),
        setup_(folder_, clock_, line_),
        model_(plan.faults, plan.seed),
        ledger_(zone_),
        random_(sim::Random::Mix(plan.seed + 4)) {
    std::filesystem::create_directory(folder_.File("Data"));
    WriteText(folder_.File("Template.csv"), RecordTemplate());
    WriteText(folder_.File("Helvanta.ini"), SettingsText(folder_));
    const std::int64_t lengthMs = clock_.UtcOfLocal(plan.end) - clock_.Read().utcMs;
    outages_ = PlanOutages(plan.outages, sim::Random::Mix(plan.seed + 3), clock_.ElapsedMs(), lengthMs);
  }

  TRunFigures Run();

 private:
  void BetweenTicks(std::int64_t nextTickMs);
  void Deliver(const TLinePiece& piece);
  void Outages(std::int64_t atMs);
  void Tick(const ClockReading& before, bool clockSet, bool wasOpen);
  void CheckRecords(TTickFacts& facts);
  void CheckHistoryBefore(std::int64_t day);
  DateTime InverterTime(const ClockReading& now) const;

  const TRunPlan& plan_;
  TBerlinZone zone_;
  testing::TempFolder folder_;
  TLineEnd line_;
  ManualClock clock_;
  TProgramSetup setup_;
  MainLoop loop_;
  TEventTally events_;
  std::unique_ptr<THelvantaService> service_;
  TLineModel model_;
  TSentValues sent_;
  TMarkLedger ledger_;
  TDayFiles files_;
  TDayMarks dayMarks_;
  std::unique_ptr<THistoryReader> history_;
  sim::Random random_;
  std::vector<TOutage> outages_;
  std::size_t nextOutage_ = 0;
  bool inOutage_ = false;
  std::int64_t stepsMs_ = 0;  // how far the wall clock was set, all steps together
  std::int64_t startMs_ = 0;
  TRunFigures figures_;
};

TRunFigures TRun::Run() {
  const auto began = std::chrono::steady_clock::now();
  const std::clock_t cpuBegan = std::clock();
  line_.Connect();
  service_ = std::make_unique<THelvantaService>(loop_, events_);
  startMs_ = clock_.ElapsedMs();
  service_->ServiceStart();
  ledger_.Started(startMs_);
  // The database lies in the output folder that the start has read from the settings.
  history_ = std::make_unique<THistoryReader>(HistoryDatabasePath(THistorySettings{}));

  std::size_t nextStep = 0;
  const double missedChance = plan_.missedTicksPerDay / (kDayMs / kTickMs);
  std::int64_t nextTickMs = startMs_ + kTickMs;
  ClockReading before = clock_.Read();
  while (clock_.Now() < plan_.end) {
    BetweenTicks(nextTickMs);
    if (random_.Chance(missedChance)) {
      ++figures_.missedTicks;
      nextTickMs += kTickMs;
      continue;
    }
    bool clockSet = false;
    if (nextStep < plan_.steps.size() && clock_.Now() >= plan_.steps[nextStep].at) {
      clock_.Step(plan_.steps[nextStep].ms);
      stepsMs_ += plan_.steps[nextStep++].ms;
      clockSet = true;
      ++figures_.steps;
    }
    const bool wasOpen = service_->ComPort1.Connected();
    // The row of the last mark is written before the next mark's row is handed over, as
    // a minute of real time would see to: the writer's queue is not under test here.
    if (clockSet || FloorDiv(before.utcMs, 60'000) != FloorDiv(before.utcMs + nextTickMs - before.elapsedMs, 60'000)) {
      service_->WaitHistoryIdle();
    }
    clock_.Advance(nextTickMs - clock_.ElapsedMs());
    Tick(before, clockSet, wasOpen);
    before = clock_.Read();
    nextTickMs += kTickMs;
  }
  service_->ServiceStop();
  CheckHistoryBefore(std::numeric_limits<std::int64_t>::max());

  figures_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  figures_.cpuSeconds = static_cast<double>(std::clock() - cpuBegan) / CLOCKS_PER_SEC;
  figures_.line = model_.Counts();
  figures_.marks = ledger_.Figures();
  figures_.lost = ledger_.Lost();
  figures_.recordLines = TDayFiles::CountRecords(folder_.File("Data"));
  for (std::size_t k = 0; k < kEventKinds; ++k) figures_.events[k] = events_.Count(static_cast<TEventKind>(k));
  figures_.eventsTotal = events_.Total();
  figures_.eventsMostInADay = events_.MostInADay();
  figures_.otherEvents = events_.OtherMessages();
  service_.reset();
  return figures_;
}

void TRun::BetweenTicks(std::int64_t nextTickMs) {
  // Pieces due at the tick itself come after its request.
  model_.TakeDue(nextTickMs - 1, [this](const TLinePiece& piece) { Deliver(piece); });
  Outages(nextTickMs);
}

void TRun::Deliver(const TLinePiece& piece) {
  if (piece.dueMs > clock_.ElapsedMs()) clock_.Advance(piece.dueMs - clock_.ElapsedMs());
  if (piece.completes) sent_.Note(*piece.completes, piece.dueMs);
  // A closed port hears nothing: the bytes are lost, as on the wire.
  if (!service_->ComPort1.Connected() || service_->ComPort1.LineHungUp()) return;
  service_->ComDataPacket1.RxBuf(&service_->ComPort1, piece.bytes.data(), static_cast<int>(piece.bytes.size()));
}

void TRun::Outages(std::int64_t atMs) {
  if (nextOutage_ >= outages_.size()) return;
  const TOutage& outage = outages_[nextOutage_];
  if (!inOutage_ && atMs >= outage.startMs) {
    inOutage_ = true;
    if (outage.hangUp) {
      ++figures_.hangUps;
      line_.HangUp();
      model_.HungUp();
      // The event thread notices at once; waiting for it keeps the run repeatable.
      const auto limit = std::chrono::steady_clock::now() + kHangUpNoticeLimit;
      while (service_->ComPort1.Connected() && !service_->ComPort1.LineHungUp() &&
             std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    } else {
      ++figures_.silences;
      model_.SetSilent(true);
    }
  } else if (inOutage_ && atMs >= outage.endMs) {
    inOutage_ = false;
    if (outage.hangUp) {
      line_.Connect();
    } else {
      model_.SetSilent(false);
    }
    ++nextOutage_;
  }
}

DateTime TRun::InverterTime(const ClockReading& now) const {
  const std::int64_t utc = now.utcMs - stepsMs_;
  return FromEpochMilliseconds(utc + static_cast<std::int64_t>(zone_(utc)) * 60'000);
}

void TRun::Tick(const ClockReading& before, bool clockSet, bool wasOpen) {
  const ClockReading now = clock_.Read();
  events_.SetDay((now.elapsedMs - startMs_) / kDayMs);
  service_->Timer1Timer();
  ++figures_.ticks;
  model_.Received(line_.TakeWritten(), now.elapsedMs, InverterTime(now));

  TTickFacts facts;
  facts.before = before;
  facts.now = now;
  facts.clockSet = clockSet;
  facts.portOpen = service_->ComPort1.Connected();
  facts.portOpened = !wasOpen && facts.portOpen;
  facts.events = events_.TakeNew();
  // Records come only at ticks that passed a minute mark or a clock step.
  if (clockSet || FloorDiv(before.utcMs, 60'000) != FloorDiv(now.utcMs, 60'000)) CheckRecords(facts);
  ledger_.Tick(facts, [&](const ClockReading& mark, bool recorded) {
    dayMarks_[FloorDiv(mark.LocalMs(), kDayMs)].emplace_back(mark, recorded, sent_, now.elapsedMs);
  });
  const std::int64_t today = FloorDiv(now.LocalMs(), kDayMs);
  if (today != FloorDiv(before.LocalMs(), kDayMs)) CheckHistoryBefore(today);
}

void TRun::CheckRecords(TTickFacts& facts) {
  // A record goes to the file of its mark's day: the tick's, or the one before it.
  std::vector<TRecord> records;
  for (const DateTime& day : {facts.before.Local(), facts.now.Local()}) {
    for (TRecord& record : files_.NewRecords(day)) records.push_back(std::move(record));
  }
  for (const TRecord& record : records) {
    facts.records.push_back(record.time);
    figures_.recordValues += kDisplayRowCount;
    for (const int row : UnsentRows(record, sent_, facts.now.elapsedMs)) {
      ++figures_.recordValuesNeverSent;
      if (figures_.neverSent.size() < kNeverSentKept) {
        figures_.neverSent.push_back(DateTimeText(record.time) + " " + std::string(RowCaption(row)) + ": " +
                                     record.values[static_cast<std::size_t>(row)]);
      }
    }
  }
}

void TRun::CheckHistoryBefore(std::int64_t day) {
  if (!dayMarks_.empty() && dayMarks_.begin()->first < day) service_->WaitHistoryIdle();
  while (!dayMarks_.empty() && dayMarks_.begin()->first < day) {
    CheckHistoryDay(*history_, dayMarks_.begin()->first, dayMarks_.begin()->second, figures_.history);
    dayMarks_.erase(dayMarks_.begin());
  }
}

}  // namespace

TRunFigures RunService(const TRunPlan& plan) { return TRun(plan).Run(); }

}  // namespace helvanta::year
