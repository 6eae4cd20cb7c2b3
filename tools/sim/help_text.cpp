#include "sim/help_text.hpp"

namespace helvanta::sim {

std::string_view HelpText() {
  return R"(Usage: helvanta-sim [options]

Plays a Siemens SPN1000 solar inverter of about 1 kW on a serial line, so that
Helvanta, its tests and a first run work without hardware. It answers each
request telegram with the data word of a sunny day.

The line
  (default)            Create a pseudo-terminal. The first line on standard
                       output is the device to open (for example /dev/pts/3).
                       The device may be opened, closed and opened again.
  --device PATH        Use an existing serial device instead (1200 bit/s, 8 data
                       bits, even parity, 1 stop bit, raw), for example the far
                       end of a null-modem cable. Its path is the first line.
  --link PATH          Also make a symbolic link PATH to the device (an old link
                       there is replaced); it is removed on exit.
  --fast               Write answers at once instead of at the line rate (about
                       9.2 ms a byte at 1200 bit/s 8E1).

The day
  --start HH:MM:SS     Start the simulated day at this time of day (today's
                       date); without it the simulated clock is the local time.
  --speed F            Simulated seconds per real second (default 1).
  --seed N             Make the measurement noise and the faults repeatable
                       (without it a random seed is chosen and shown on
                       standard error).
  The sun rises at 06:00 and sets at 20:00: voltages, currents, power and
  efficiency follow it and are 0 at night; the cooler temperature follows the
  sun and the air; the grid period stays near 20000 us. Energy counters (0.1 kWh)
  and working time only grow, today's energy restarts at midnight; every past day
  since 2009-03-01 yielded 8.5 kWh. 32-bit counters are split into a low-word and
  a high-word request; a high word asked for within 5 s after its low word belongs
  to the same reading as that low word, so the two always combine to one total.
  Indices 0-3 carry their value in the low byte (bus address 1, current limit
  100 %, voltage limits 1.10 and 0.85); their high byte is a status byte, 0x10.
  Error registers read 0000; the version reads 1.23.

Telegrams
  A request is STX, "0053??", a four-character request code, ETX and the
  exclusive-or of the 12 bytes before it. A request with a wrong block check,
  a wrong prefix, a missing ETX, an unknown request code or missing bytes (a new
  STX, or a pause of 300 ms, inside it) gets no answer and is counted. The
  answer is 13 bytes: STX, "00", the request code, the data word as four
  upper-case hexadecimal digits, ETX and the exclusive-or of the 12 bytes
  before it.

Faults (P is a share between 0 and 1)
  --drop P             Leave this share of good requests unanswered.
  --garble P           Put a non-hexadecimal character into the data word.
  --noise P            Send 1 to 8 random bytes (never STX) before the answer.
  --late P             Hold the answer back until the next request has arrived.
  --split              Write every answer in 2 to 4 chunks with pauses of up to
                       250 ms between them.
  --hangup-after N     After N answers close the line (the program's side of a
                       pseudo-terminal sees a hang-up) and exit with status 0.

Records
  --log FILE           Append one line per telegram received and per answer:
                         WALLTIME SIMTIME rx CODE - RESULT
                         WALLTIME SIMTIME tx CODE WORD FAULTS [total=N]
                         WALLTIME SIMTIME no CODE WORD drop [total=N]
                       RESULT is ok, bad-bcc, bad-prefix, bad-etx, unknown-code
                       or truncated; FAULTS is none or a comma-separated list of
                       garble, noise, late, split; total is the 32-bit number
                       (decimal) that a low-word or high-word answer belongs to.
                       Times are YYYY-MM-DDTHH:MM:SS.mmm. Lines starting with #
                       are remarks.
  -h, --help           Show this text.

Runs until SIGINT or SIGTERM and then exits with status 0; a summary of what
was received and answered goes to standard error. Bad options exit with 2,
a line that cannot be opened or used with 1.
)";
}

}  // namespace helvanta::sim
