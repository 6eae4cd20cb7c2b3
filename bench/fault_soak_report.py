#!/usr/bin/env python3
"""Report of bench/fault_soak.sh: reads the folder of each fault and prints one table
and the targets.

    fault_soak_report.py <work folder> <fault>...

Each fault folder holds `timeline` (when the service and each simulator started and
ended), `events.txt` (the service's standard error, each line prefixed with the time it
arrived), `sim-answers.log` (the simulator's --log), `Template.csv` and `Data/*.csv`.
"""

import collections
import math
import re
import sys
import time
from fractions import Fraction
from pathlib import Path

# The measurand table in polling order: request code, scale flag, combine flag, row.
DESCRIPTORS = [
    "02000030", "02010022", "02032021", "02042020", "03E40023", "03E61000", "03E82001",
    "03EA00-1", "03EC2102", "03EE1003", "03F02004", "03F200-1", "03F42105", "03F61006",
    "03F800-1", "03FA1109", "03DC00-1", "03DE0107", "03E02008", "CFE200-1", "CFE41110",
    "CFF600-1", "CFF81111", "CFFA00-1", "CFFC1112", "CFDE00-1", "CFE01113", "CFEE00-1",
    "CFF01114", "CFF200-1", "CFF41115", "CFDA00-1", "CFDC1116", "CFE600-1", "CFE81117",
    "CFEA00-1", "CFEC1118", "02100028", "00240029", "03FC2024", "CFD42025", "CFD20026",
    "CF240027", "03FE1019", "9FFF2031",
]
INDEX_OF_CODE = {d[:4]: i for i, d in enumerate(DESCRIPTORS)}
# Placeholder number (display row + 1) -> measurand index.
INDEX_OF_PLACEHOLDER = {int(d[6:]) + 1: i for i, d in enumerate(DESCRIPTORS) if d[6:] != "-1"}
HEX_REGISTERS = (37, 38)
WHOLE_NUMBERS = (0, 17, 41, 42)

# A record can show values only after all 45 measurands have answered once, one a
# second from the service's first tick.
FIRST_RECORD_DELAY = 46
# A record's time has whole seconds; the answer it shows may be logged a little later.
ANSWER_SLACK = 2
TARGET_SHARE = 0.95
TARGET_RESUME = 120
TARGET_OUTAGE_EVENTS = 3
EVENT_TYPES = ("Error", "Warning", "Information")


def round_to_bits(x, bits):
    """x rounded to the nearest binary number with `bits` significant bits, ties to even."""
    if x == 0:
        return Fraction(0)
    sign = -1 if x < 0 else 1
    x = abs(Fraction(x))
    e = x.numerator.bit_length() - x.denominator.bit_length()
    while Fraction(2) ** e > x:
        e -= 1
    while Fraction(2) ** (e + 1) <= x:
        e += 1
    scale = Fraction(2) ** (bits - 1 - e)
    q, r = divmod((x * scale).numerator, (x * scale).denominator)
    twice, whole = 2 * r, (x * scale).denominator
    if twice > whole or (twice == whole and q % 2 == 1):
        q += 1
    return sign * Fraction(q) / scale


def single(x):
    return round_to_bits(x, 24)


def extended(x):
    return round_to_bits(x, 64)


TENTH = extended(Fraction(1, 10))
HUNDREDTH = extended(Fraction(1, 100))


def hex_value(digits):
    """The conversion of "0x" + digits: a 32-bit two's-complement pattern, 0 on failure."""
    if not digits or len(digits) > 8 or any(c not in "0123456789abcdefABCDEF" for c in digits):
        return 0
    bits = int(digits, 16)
    return bits - (1 << 32) if bits >= 1 << 31 else bits


def decode(index, word, low_word):
    """The value text of an answer word for a measurand; low_word is the preceding
    entry's last word for a combined entry (None if it never answered)."""
    descriptor = DESCRIPTORS[index]
    whole_word = len(word) == 4
    v = single(hex_value(word) if whole_word else 0)
    if index <= 3:
        v = single(hex_value(word[2:4]) if whole_word else 0)
    if descriptor[5] == "1":
        low = low_word or ""
        v = single(hex_value(word + low) if whole_word and len(low) in (0, 4) else 0)
    if index == 4 and v != 0:
        v = single(extended(extended(1 / v) * 1000000))
    if descriptor[4] == "1":
        v = single(extended(v * TENTH))
    elif descriptor[4] == "2":
        v = single(extended(v * HUNDREDTH))
    if index in HEX_REGISTERS:
        return word
    if index in WHOLE_NUMBERS:
        return "%.0f" % float(v)
    text = "%.2f" % float(v)
    return text.replace(".", ":", 1) if index == 18 else text


def local_epoch(stamp):
    """Seconds since the epoch of a local "YYYY-MM-DDTHH:MM:SS.mmm"."""
    whole = time.mktime(time.strptime(stamp[:19], "%Y-%m-%dT%H:%M:%S"))
    return whole + (int(stamp[20:23]) / 1000 if len(stamp) >= 23 else 0)


class SimLog:
    """The simulator's record of what it received and answered."""

    def __init__(self, path):
        self.sent = collections.defaultdict(dict)  # index -> value text -> first time sent
        self.garbled = collections.defaultdict(list)  # index -> words sent damaged
        self.answer_times = []
        self.answers = 0
        self.faulted = 0
        self.bad_requests = collections.Counter()
        if not path.exists():
            return
        for line in path.read_text(encoding="latin-1").splitlines():
            parts = line.split()
            if line.startswith("#") or len(parts) < 6:
                continue
            stamp, _, direction, code, word, outcome = parts[:6]
            if direction == "rx":
                if outcome != "ok":
                    self.bad_requests[outcome] += 1
                continue
            if direction == "no":
                self.faulted += 1
                continue
            if direction != "tx":
                continue
            at = local_epoch(stamp)
            self.answers += 1
            self.answer_times.append(at)
            faults = set(outcome.split(","))
            if faults != {"none"}:
                self.faulted += 1
            index = INDEX_OF_CODE.get(code)
            if index is None:
                continue
            if "garble" in faults:
                self.garbled[index].append(word)
                continue
            total = next((int(p[6:]) for p in parts[6:] if p.startswith("total=")), None)
            low = "%04X" % (total & 0xFFFF) if total is not None else None
            self.sent[index].setdefault(decode(index, word, low), at)

    def was_sent(self, index, text, at):
        first = self.sent[index].get(text)
        return first is not None and first <= at + ANSWER_SLACK

    def from_damaged_word(self, index, field):
        """Whether a logged field is what a damaged word decodes to."""
        if index in HEX_REGISTERS:
            # The simulator's log shows a blank or other odd character as '?'.
            for word in self.garbled[index]:
                pattern = "".join("." if c == "?" else re.escape(c) for c in word)
                if re.fullmatch(" *" + pattern, field):
                    return True
            return False
        return field.lstrip(" ") == decode(index, "G000", "G000")

    def last_answer_before(self, at):
        earlier = [t for t in self.answer_times if t <= at]
        return max(earlier) if earlier else at


def template_lines(path):
    text = path.read_bytes().split(b"\0")[0].decode("latin-1")
    lines = re.split(r"\r\n|\r|\n", text)
    if len(lines) > 1 and lines[-1] == "":
        lines.pop()
    return lines


def record_pattern(pattern):
    """A regular expression of a record line, a group per placeholder."""
    parts = re.split(r"(%date%|%time%|%\d+%)", pattern)
    regex, fields = "", []
    for part in parts:
        number = part[1:-1]
        if part in ("%date%", "%time%") or (number.isdigit() and int(number) in INDEX_OF_PLACEHOLDER):
            regex += "(.*?)"
            fields.append(number if part in ("%date%", "%time%") else int(number))
        else:
            regex += re.escape(part)
    return re.compile(regex + r"\Z"), fields


class Records:
    """The records of the daily files, each with its time and its fields."""

    def __init__(self, folder, template):
        lines = template_lines(template)
        header, (matcher, fields) = lines[:-1], record_pattern(lines[-1] if lines else "")
        self.records = []  # (epoch, {placeholder number: field})
        self.malformed = 0
        for path in sorted(folder.glob("*.csv")):
            rows = path.read_bytes().decode("latin-1").split("\r\n")
            if rows and rows[-1] == "":
                rows.pop()
            else:
                self.malformed += 1  # a last line without its line end
            if rows[: len(header)] == header:
                rows = rows[len(header):]
            for row in rows:
                match = matcher.match(row)
                at = match and self.time_of(dict(zip(fields, match.groups())))
                if not at:
                    self.malformed += 1
                    continue
                self.records.append((at, {k: v for k, v in zip(fields, match.groups()) if isinstance(k, int)}))
        self.records.sort(key=lambda r: r[0])

    @staticmethod
    def time_of(values):
        date = re.fullmatch(r" *(\d\d)\D(\d\d)\D(\d{4})", values.get("date", ""))
        clock = re.fullmatch(r" *(\d\d)\D(\d\d)\D(\d\d)", values.get("time", ""))
        if not date or not clock:
            return None
        month, day, year = map(int, date.groups())
        hour, minute, second = map(int, clock.groups())
        return int(time.mktime((year, month, day, hour, minute, second, 0, 0, -1)))


def read_timeline(path):
    entries = []
    for line in path.read_text().splitlines():
        what, at, *rest = line.split(" ", 2) + [""]
        entries.append((what, float(at), rest[0]))
    return entries


def read_events(path):
    # An event of several lines goes on in lines without the identifier and type; those
    # belong to the event before, not to one of their own.
    events = []
    for line in path.read_text(encoding="latin-1").splitlines():
        at, _, text = line.partition(" ")
        match = re.match(r"\S+: (%s): (.*)" % "|".join(EVENT_TYPES), text)
        if match:
            events.append((float(at), match.group(1), match.group(2)))
        elif events:
            last_at, kind, message = events[-1]
            events[-1] = (last_at, kind, message + "\n" + text)
        else:
            events.append((float(at), "other", text))
    return events


def count_types(events):
    counts = collections.Counter(kind for _, kind, _ in events)
    return "/".join(str(counts[k]) for k in EVENT_TYPES + ("other",))


class FaultRun:
    def __init__(self, folder):
        self.name = folder.name
        timeline = read_timeline(folder / "timeline")
        self.start = next(at for what, at, _ in timeline if what == "service-start")
        self.end = next(at for what, at, _ in timeline if what in ("service-stop", "service-end"))
        self.ended_early = any(what == "service-end" for what, _, _ in timeline)
        self.options = next(rest for what, _, rest in timeline if what == "sim-start")
        self.sim = SimLog(folder / "sim-answers.log")
        self.records = Records(folder / "Data", folder / "Template.csv")
        self.events = read_events(folder / "events.txt")

        first_mark = math.ceil((self.start + FIRST_RECORD_DELAY) / 60) * 60
        self.marks = list(range(first_mark, int(self.end - 1) + 1, 60))
        times = {at for at, _ in self.records.records}
        self.marks_with_record = sum(1 for m in self.marks if m in times)

        self.not_sent = collections.Counter()  # "damaged" or "other"
        self.not_sent_examples = []
        self.not_available = 0
        for at, fields in self.records.records:
            for number, field in fields.items():
                index = INDEX_OF_PLACEHOLDER[number]
                if field.strip(" ") == "N/A":
                    self.not_available += 1
                    continue
                text = field.lstrip(" ")
                if text.rjust(12) == field and self.sim.was_sent(index, text, at):
                    continue
                kind = "damaged" if self.sim.from_damaged_word(index, field) else "other"
                self.not_sent[kind] += 1
                if len(self.not_sent_examples) < 3:
                    self.not_sent_examples.append(
                        "%s %%%d%% %r (%s)" % (time.strftime("%H:%M:%S", time.localtime(at)), number, field.strip(), kind))

        self.outages = self.find_outages(timeline)

    def find_outages(self, timeline):
        """Each hang-up followed by a new simulator: when the line came back, how long the
        records took to resume, and the events from the hang-up until then."""
        outages = []
        ends = [at for what, at, _ in timeline if what == "sim-end"]
        starts = [at for what, at, _ in timeline if what == "sim-start"][1:]
        for number, (gone, back) in enumerate(zip(ends, starts)):
            until = ends[number + 1] if number + 1 < len(ends) else self.end
            resumed = next((at for at, _ in self.records.records if back <= at < until), None)
            since = self.sim.last_answer_before(gone)
            # A record's time is cut to the second; the events of that second count.
            window_end = resumed + 1 if resumed is not None else until
            events = [e for e in self.events if since <= e[0] < window_end]
            outages.append({"back": back - self.start, "away": back - gone,
                            "resume": None if resumed is None else resumed - back, "events": events})
        return outages

    @property
    def share(self):
        return self.marks_with_record / len(self.marks) if self.marks else 0.0


def verdict(ok):
    return "PASS" if ok else "MISS"


def print_table(runs):
    head = ("fault", "answers", "faulted", "marks", "records", "marked", "share",
            "never sent", "N/A", "events E/W/I/other")
    rows = [head]
    for r in runs:
        rows.append((r.name, str(r.sim.answers), str(r.sim.faulted), str(len(r.marks)),
                     str(len(r.records.records)), str(r.marks_with_record), "%.1f %%" % (100 * r.share),
                     "%d (%d damaged)" % (sum(r.not_sent.values()), r.not_sent["damaged"]),
                     str(r.not_available), count_types(r.events)))
    widths = [max(len(row[i]) for row in rows) for i in range(len(head))]
    for row in rows:
        print("  ".join(cell.ljust(w) if i == 0 else cell.rjust(w) for i, (cell, w) in enumerate(zip(row, widths))))


def print_targets(runs):
    print("\nTargets")
    by_name = {r.name: r for r in runs}
    for name in ("drop", "late"):
        if name in by_name:
            r = by_name[name]
            print("  %-6s marks with a record >= 95 %%: %.1f %% (%d of %d)  %s"
                  % (name, 100 * r.share, r.marks_with_record, len(r.marks),
                     verdict(r.marks and r.share >= TARGET_SHARE)))
    if "garble" in by_name:
        r = by_name["garble"]
        values = sum(len(fields) for _, fields in r.records.records)
        never = sum(r.not_sent.values())
        note = "" if r.records.records else " (no records to judge)"
        print("  garble values never sent = 0: %d of %d values%s  %s"
              % (never, values, note, verdict(r.records.records and never == 0)))
    if "hangup" in by_name:
        r = by_name["hangup"]
        good = 0
        for o in r.outages:
            ok = o["resume"] is not None and o["resume"] <= TARGET_RESUME and len(o["events"]) <= TARGET_OUTAGE_EVENTS
            good += ok
        print("  hangup records back <= %d s after the new simulator, <= %d events per outage: "
              "%d of %d outages  %s" % (TARGET_RESUME, TARGET_OUTAGE_EVENTS, good, len(r.outages),
                                         verdict(r.outages and good == len(r.outages))))
        for number, o in enumerate(r.outages, 1):
            resume = "no record before the next hang-up or the end" if o["resume"] is None \
                else "first record %.0f s later" % o["resume"]
            print("    outage %d: line away %.0f s, back %.0f s into the run, %s, %d events (E/W/I/other %s)"
                  % (number, o["away"], o["back"], resume, len(o["events"]), count_types(o["events"])))


def print_details(runs):
    print("\nDetails")
    for r in runs:
        print("  %s: simulator %s" % (r.name, r.options))
        if r.ended_early:
            print("    the service ended early")
        if r.records.malformed:
            print("    %d lines of the daily files are not records" % r.records.malformed)
        if r.sim.bad_requests:
            print("    requests the simulator rejected: %s" % dict(r.sim.bad_requests))
        for example in r.not_sent_examples:
            print("    never sent: %s" % example)
        for (kind, message), count in collections.Counter((k, m) for _, k, m in r.events).most_common(4):
            print("    %5d x %s: %s" % (count, kind, message.replace("\n", " | ")[:100]))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    work = Path(sys.argv[1])
    runs = [FaultRun(work / name) for name in sys.argv[2:]]
    print("answers: answers the simulator sent; faulted: those it damaged, delayed or split, and "
          "those it dropped;\nmarks: logging marks from %d s after the service started to its end; "
          "marked: marks with a record;\nnever sent: logged values that no undamaged answer of the "
          "simulator decodes to (damaged: what a damaged word decodes to);\nN/A: fields logged as "
          "N/A; events: lines on the service's standard error by type\n" % FIRST_RECORD_DELAY)
    print_table(runs)
    print_targets(runs)
    print_details(runs)


if __name__ == "__main__":
    main()
