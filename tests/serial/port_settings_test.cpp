#include <gtest/gtest.h>

#include <string>

#include "serial/comport.hpp"
#include "serial/dcb.hpp"

namespace helvanta {
namespace {

TEST(EComPort, TextNumberAndCodeSuffix) {
  const EComPort withCode(1, 2, "/dev/ttyUSB0");
  EXPECT_STREQ(withCode.what(), "Unable to open com port (/dev/ttyUSB0: No such file or directory, error 2)");
  EXPECT_EQ(withCode.Number(), 1);
  EXPECT_EQ(withCode.WinCode(), 2);

  const EComPort withoutCode(18);
  EXPECT_STREQ(withoutCode.what(), "Link (un)registration failed");
  EXPECT_EQ(withoutCode.WinCode(), -1);

  EXPECT_STREQ(EComPort(22).what(), "A component is linked to OnRxBuf event");
  EXPECT_STREQ(EComPort(14).what(), "Cannot set property while connected");
  EXPECT_STREQ(EComPort(2, 9).what(), "WriteFile function failed (Bad file descriptor, error 9)");
  // The causes a user can mend say what to do.
  EXPECT_STREQ(EComPort(1, 13, "/dev/ttyS0").what(),
               "Unable to open com port (/dev/ttyS0: Permission denied, error 13; the user needs to be in the "
               "dialout group)");
  EXPECT_STREQ(EComPort(1, 16, "/dev/ttyS0").what(),
               "Unable to open com port (/dev/ttyS0: in use by another program, error 16)");
  EXPECT_STREQ(EComPort(1, 11, "/dev/ttyS0").what(),
               "Unable to open com port (/dev/ttyS0: in use by another program, error 11)");
  EXPECT_STREQ(ComErrorText(23), "Registry error");
  EXPECT_STREQ(ComErrorText(24), "");
}

TEST(TComPort, Defaults) {
  TComPort port;
  EXPECT_FALSE(port.Connected());
  EXPECT_EQ(port.Port(), "COM1");
  EXPECT_EQ(port.BaudRate(), TBaudRate::br9600);
  EXPECT_EQ(port.CustomBaudRate(), 9600);
  EXPECT_EQ(port.DataBits(), TDataBits::dbEight);
  EXPECT_EQ(port.StopBits(), TStopBits::sbOneStopBit);
  EXPECT_FALSE(port.DiscardNull());
  EXPECT_EQ(port.EventChar(), 0);
  EXPECT_EQ(port.Events(), kAllComEvents);
  EXPECT_EQ(port.SyncMethod(), TSyncMethod::smThreadSync);
  EXPECT_EQ(port.EventThreadPriority(), TThreadPriority::tpNormal);
  EXPECT_TRUE(port.TriggersOnRxChar());

  EXPECT_EQ(port.Parity().Bits(), TParityBits::prNone);
  EXPECT_FALSE(port.Parity().Check());
  EXPECT_FALSE(port.Parity().Replace());
  EXPECT_EQ(port.Parity().ReplaceChar(), 0);

  const TComFlowControl& flow = port.FlowControl();
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_FALSE(flow.OutDSRFlow());
  EXPECT_EQ(flow.ControlDTR(), TDTRFlowControl::dtrDisable);
  EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsDisable);
  EXPECT_FALSE(flow.XonXoffOut());
  EXPECT_FALSE(flow.XonXoffIn());
  EXPECT_FALSE(flow.DSRSensitivity());
  EXPECT_FALSE(flow.TxContinueOnXoff());
  EXPECT_EQ(flow.XonChar(), 17);
  EXPECT_EQ(flow.XoffChar(), 19);
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcNone);

  EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 0);
  EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  EXPECT_EQ(port.Buffer().OutputSize(), 1024);

  EXPECT_EQ(port.Parity().ComPort(), &port);
  EXPECT_EQ(port.FlowControl().ComPort(), &port);
  EXPECT_EQ(port.Timeouts().ComPort(), &port);
  EXPECT_EQ(port.Buffer().ComPort(), &port);
  EXPECT_EQ(kAllComEvents.Bits(), 0x3FFu);
  EXPECT_EQ(TComEvents{TComEvent::evRxChar}.Bits(), 1u);
}

TEST(TComPort, OddBufferSizesAreStoredOneLower) {
  TComPort port;
  port.Buffer().SetInputSize(1025);
  port.Buffer().SetOutputSize(7);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  EXPECT_EQ(port.Buffer().OutputSize(), 6);
  EXPECT_EQ(BuildDcb(port).XonLim, 256);
  EXPECT_EQ(BuildDcb(port).XoffLim, 256);
  port.Buffer().SetInputSize(2048);
  EXPECT_EQ(port.Buffer().InputSize(), 2048);
  port.Buffer().SetInputSize(-3);  // only positive sizes are evened
  EXPECT_EQ(port.Buffer().InputSize(), -3);
}

TEST(TComFlowControl, DerivedFlowControlReadsAndWritesTheFields) {
  TComPort port;
  TComFlowControl& flow = port.FlowControl();
  flow.SetControlDTR(TDTRFlowControl::dtrEnable);
  flow.SetOutDSRFlow(true);

  flow.SetFlowControl(TFlowControl::fcHardware);
  EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsHandshake);
  EXPECT_TRUE(flow.OutCTSFlow());
  EXPECT_FALSE(flow.XonXoffIn() || flow.XonXoffOut());
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcHardware);

  flow.SetFlowControl(TFlowControl::fcSoftware);
  EXPECT_EQ(flow.ControlRTS(), TRTSFlowControl::rtsDisable);
  EXPECT_FALSE(flow.OutCTSFlow());
  EXPECT_TRUE(flow.XonXoffIn() && flow.XonXoffOut());
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcSoftware);

  flow.SetFlowControl(TFlowControl::fcCustom);  // changes nothing
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcSoftware);

  flow.SetXonXoffIn(false);  // one XON/XOFF flag only is neither
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcCustom);
  flow.SetControlRTS(TRTSFlowControl::rtsEnable);
  flow.SetXonXoffOut(false);
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcCustom);

  flow.SetFlowControl(TFlowControl::fcNone);
  EXPECT_EQ(flow.FlowControl(), TFlowControl::fcNone);
  // DTR and DSR flow are never touched by the derived property.
  EXPECT_EQ(flow.ControlDTR(), TDTRFlowControl::dtrEnable);
  EXPECT_TRUE(flow.OutDSRFlow());
}

TEST(TComPort, GroupsAssignFromTheirOwnClassAndKeepTheirPort) {
  TComPort port;
  TComParity parity;
  parity.SetBits(TParityBits::prEven);
  parity.SetReplaceChar('#');
  port.SetParity(parity);
  EXPECT_EQ(port.Parity().Bits(), TParityBits::prEven);
  EXPECT_EQ(port.Parity().ReplaceChar(), '#');
  EXPECT_EQ(port.Parity().ComPort(), &port);

  TComTimeouts copy = port.Timeouts();  // a copy is detached
  EXPECT_EQ(copy.ComPort(), nullptr);
  copy.SetWriteTotalConstant(5);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  port.SetTimeouts(copy);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 5);
  EXPECT_EQ(port.Timeouts().ComPort(), &port);

  TComBuffer buffer;
  buffer.SetInputSize(4096);
  port.SetBuffer(buffer);
  EXPECT_EQ(port.Buffer().InputSize(), 4096);

  TComFlowControl flow;
  flow.SetFlowControl(TFlowControl::fcHardware);
  port.SetFlowControl(flow);
  EXPECT_EQ(port.FlowControl().FlowControl(), TFlowControl::fcHardware);
  EXPECT_EQ(port.FlowControl().ComPort(), &port);
}

TEST(TComPort, LinkRegistrationAndTriggersOnRxChar) {
  TComPort port;
  TComLink quiet;  // no received-bytes handler
  TComLink receiving;
  receiving.OnRxBuf = [](TCustomComPort*, const char*, int) {};

  port.RegisterLink(&quiet);
  EXPECT_TRUE(port.TriggersOnRxChar());
  port.SetTriggersOnRxChar(false);
  EXPECT_FALSE(port.TriggersOnRxChar());
  port.SetTriggersOnRxChar(true);

  port.RegisterLink(&receiving);
  EXPECT_FALSE(port.TriggersOnRxChar());  // reads false while a receiving link exists
  try {
    port.SetTriggersOnRxChar(false);
    FAIL() << "no error 22";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 22);
    EXPECT_STREQ(e.what(), "A component is linked to OnRxBuf event");
  }

  try {
    port.RegisterLink(&receiving);
    FAIL() << "no error 18";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 18);
  }
  port.UnRegisterLink(&receiving);
  EXPECT_TRUE(port.TriggersOnRxChar());
  try {
    port.UnRegisterLink(&receiving);
    FAIL() << "no error 18";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Number(), 18);
    EXPECT_EQ(e.WinCode(), -1);
  }
  port.UnRegisterLink(&quiet);
}

TEST(TComPort, ConnectedWhileLoadingOnlyStoresTheValue) {
  TComPort port;
  port.SetPort("/nonexistent/helvanta-port");
  port.BeginLoading();
  port.SetConnected(true);
  EXPECT_TRUE(port.Connected());  // stored, nothing opened
  // Loading ends by opening; the failure leaves the port closed.
  EXPECT_THROW(port.Loaded(), EComPort);
  EXPECT_FALSE(port.Connected());

  port.SetDesigning(true);
  port.Open();  // does nothing while designing
  EXPECT_FALSE(port.Connected());
}

}  // namespace
}  // namespace helvanta
