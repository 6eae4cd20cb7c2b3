#include "serial/dcb.hpp"

#include <array>

#include "serial/comport.hpp"

namespace helvanta {
namespace {

constexpr std::array<std::uint32_t, 16> kBaudRates = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                                      14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

std::uint8_t Flag(bool value) { return value ? 1 : 0; }

}  // namespace

std::uint32_t BaudRateValue(int baudRateOrdinal, int customBaudRate) {
  if (baudRateOrdinal <= 0 || baudRateOrdinal >= static_cast<int>(kBaudRates.size())) {
    return static_cast<std::uint32_t>(customBaudRate);
  }
  return kBaudRates[static_cast<std::size_t>(baudRateOrdinal)];
}

Dcb BuildDcb(const TCustomComPort& port) {
  const TComParity& parity = port.Parity();
  const TComFlowControl& flow = port.FlowControl();
  Dcb dcb;
  dcb.DCBlength = kDcbLength;
  dcb.BaudRate = BaudRateValue(static_cast<int>(port.BaudRate()), port.CustomBaudRate());
  dcb.fBinary = 1;
  dcb.fParity = Flag(parity.Check());
  dcb.fOutxCtsFlow = Flag(flow.OutCTSFlow());
  dcb.fOutxDsrFlow = Flag(flow.OutDSRFlow());
  dcb.fDtrControl = static_cast<std::uint8_t>(flow.ControlDTR());
  dcb.fDsrSensitivity = Flag(flow.DSRSensitivity());
  dcb.fTXContinueOnXoff = Flag(flow.TxContinueOnXoff());
  dcb.fOutX = Flag(flow.XonXoffOut());
  dcb.fInX = Flag(flow.XonXoffIn());
  dcb.fErrorChar = Flag(parity.Check() && parity.Replace());
  dcb.fNull = Flag(port.DiscardNull());
  dcb.fRtsControl = static_cast<std::uint8_t>(flow.ControlRTS());
  dcb.fAbortOnError = 0;
  dcb.XonLim = static_cast<std::uint16_t>(port.Buffer().InputSize() / 4);
  dcb.XoffLim = dcb.XonLim;
  dcb.ByteSize = static_cast<std::uint8_t>(5 + static_cast<int>(port.DataBits()));
  dcb.Parity = static_cast<std::uint8_t>(parity.Bits());
  dcb.StopBits = static_cast<std::uint8_t>(port.StopBits());
  dcb.XonChar = flow.XonChar();
  dcb.XoffChar = flow.XoffChar();
  if (dcb.fErrorChar != 0) dcb.ErrorChar = parity.ReplaceChar();
  dcb.EvtChar = port.EventChar();
  return dcb;
}

CommTimeouts BuildCommTimeouts(const TCustomComPort& port) {
  const TComTimeouts& t = port.Timeouts();
  // -1 becomes all bits set; the other fields are taken bit for bit the same way.
  auto dword = [](int value) { return static_cast<std::uint32_t>(value); };
  return CommTimeouts{dword(t.ReadInterval()), dword(t.ReadTotalMultiplier()), dword(t.ReadTotalConstant()),
                      dword(t.WriteTotalMultiplier()), dword(t.WriteTotalConstant())};
}

}  // namespace helvanta
