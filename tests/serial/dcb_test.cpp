#include <gtest/gtest.h>

#include "serial/comport.hpp"
#include "serial/dcb.hpp"

namespace helvanta {
namespace {

// The line settings both hosts give their port.
void ApplyInverterLine(TComPort& port) {
  port.SetBaudRate(TBaudRate::br1200);
  port.SetDataBits(TDataBits::dbEight);
  port.Parity().SetBits(TParityBits::prEven);
  port.SetStopBits(TStopBits::sbOneStopBit);
}

TEST(BuildDcb, InverterLineGivesEightEvenOneWithoutFlowControl) {
  TComPort port;
  ApplyInverterLine(port);
  const Dcb dcb = BuildDcb(port);

  Dcb expected;
  expected.DCBlength = 28;
  expected.BaudRate = 1200;
  expected.fBinary = 1;
  expected.XonLim = 256;
  expected.XoffLim = 256;
  expected.ByteSize = 8;
  expected.Parity = 2;
  expected.XonChar = 17;
  expected.XoffChar = 19;
  EXPECT_EQ(dcb, expected);  // every other field zero: no parity check, no flow control, DTR/RTS off
}

TEST(BuildDcb, FieldsFollowTheSettings) {
  TComPort port;
  port.SetBaudRate(TBaudRate::brCustom);
  port.SetCustomBaudRate(31250);
  port.SetDataBits(TDataBits::dbSeven);
  port.SetStopBits(TStopBits::sbTwoStopBits);
  port.Parity().SetBits(TParityBits::prSpace);
  port.Parity().SetReplace(true);
  port.Parity().SetReplaceChar('?');
  port.SetDiscardNull(true);
  port.SetEventChar('\n');
  port.Buffer().SetInputSize(4097);
  TComFlowControl& flow = port.FlowControl();
  flow.SetControlDTR(TDTRFlowControl::dtrHandshake);
  flow.SetControlRTS(TRTSFlowControl::rtsToggle);
  flow.SetOutDSRFlow(true);
  flow.SetDSRSensitivity(true);
  flow.SetTxContinueOnXoff(true);
  flow.SetXonXoffIn(true);

  Dcb dcb = BuildDcb(port);
  EXPECT_EQ(dcb.BaudRate, 31250u);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.StopBits, 2);
  EXPECT_EQ(dcb.Parity, 4);
  EXPECT_EQ(dcb.fErrorChar, 0);  // replacement needs the check as well
  EXPECT_EQ(dcb.ErrorChar, 0);
  EXPECT_EQ(dcb.fNull, 1);
  EXPECT_EQ(dcb.EvtChar, '\n');
  EXPECT_EQ(dcb.XonLim, 1024);  // 4096 / 4
  EXPECT_EQ(dcb.fDtrControl, 2);
  EXPECT_EQ(dcb.fRtsControl, 3);
  EXPECT_EQ(dcb.fOutxDsrFlow, 1);
  EXPECT_EQ(dcb.fDsrSensitivity, 1);
  EXPECT_EQ(dcb.fTXContinueOnXoff, 1);
  EXPECT_EQ(dcb.fInX, 1);
  EXPECT_EQ(dcb.fOutX, 0);
  EXPECT_EQ(dcb.fAbortOnError, 0);

  port.Parity().SetCheck(true);
  dcb = BuildDcb(port);
  EXPECT_EQ(dcb.fParity, 1);
  EXPECT_EQ(dcb.fErrorChar, 1);
  EXPECT_EQ(dcb.ErrorChar, '?');
}

TEST(BuildDcb, EveryNamedRateIsTheNumberInItsName) {
  const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                 19200, 38400, 56000, 57600, 115200, 128000, 256000};
  for (int i = 1; i <= 15; ++i) EXPECT_EQ(BaudRateValue(i, 1), rates[i - 1]) << i;
  EXPECT_EQ(BaudRateValue(0, 777), 777u);
}

TEST(BuildCommTimeouts, MinusOneIsAllBitsSet) {
  TComPort port;
  const CommTimeouts t = BuildCommTimeouts(port);
  EXPECT_EQ(t, (CommTimeouts{0xFFFFFFFFu, 0, 0, 100, 1000}));
}

}  // namespace
}  // namespace helvanta
