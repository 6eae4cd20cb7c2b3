#include "year/run_figures.hpp"

#include <sstream>

namespace helvanta::year {

std::string FiguresText(const TRunFigures& f) {
  std::ostringstream out;
  const TLineCounts& l = f.line;
  const TMarkFigures& m = f.marks;
  const THistoryFigures& h = f.history;
  out << "run: " << f.ticks << " ticks (" << f.missedTicks << " seconds without one) in " << f.seconds << " s, "
      << f.cpuSeconds << " s CPU: " << static_cast<std::uint64_t>(static_cast<double>(f.ticks) / f.seconds)
      << " ticks/s\n";
  out << "line: " << l.requests << " requests (" << l.malformedRequests << " malformed), " << l.answers << " answers, "
      << l.dropped << " dropped, " << l.garbled << " garbled, " << l.late << " late (" << l.lateChains
      << " after a late one), " << l.noisy << " behind junk (" << l.noisyWithStx << " with an STX in it), " << l.split
      << " split, " << l.silenced << " unanswered in silences, " << l.lostInHangUps << " lost in hang-ups\n";
  out << "outages: " << f.hangUps << " hang-ups, " << f.silences << " silences; clock steps: " << f.steps << "\n";
  out << "marks: " << m.marks << ", recorded " << m.recorded << ", skipped with a warning " << m.skippedWarned
      << ", in outages " << m.inOutage << ", in start-ups " << m.inStartUp << ", jumped by clock steps "
      << m.jumpedByStep << ", lost without a warning " << m.lostWithoutWarning << ", records of no mark "
      << m.unexpectedRecords << "\n";
  out << "records: " << f.recordLines << " in the day files, " << f.recordValues << " values, "
      << f.recordValuesNeverSent << " never sent\n";
  out << "history: " << h.rows << " rows, " << h.valuesChecked << " values, " << h.valuesNeverSent << " never sent, "
      << h.valuesMissing << " missing, " << h.rowsWithoutMark << " rows of no mark, " << h.recordedWithoutRow
      << " records without a row, " << h.repeatedKeptOnce << " minutes the clock showed twice kept once\n";
  out << "events: " << f.eventsTotal << " (at most " << f.eventsMostInADay << " in a day):";
  for (std::size_t k = 0; k < kEventKinds; ++k) {
    if (f.events[k] > 0) out << " " << EventKindName(static_cast<TEventKind>(k)) << " " << f.events[k] << ";";
  }
  out << " resumes " << m.resumesCounted << " (" << m.resumesMiscounted
      << " not naming the marks skipped since the warning)"
      << "; steps reported " << m.stepsReported << ", unreported " << m.stepsUnreported << "\n";
  for (const std::string& s : f.neverSent) out << "  never sent: " << s << "\n";
  for (const std::string& s : f.lost) out << "  lost: " << s << "\n";
  for (const std::string& s : f.otherEvents) out << "  other event: " << s << "\n";
  return out.str();
}

}  // namespace helvanta::year
