#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/com_groups.hpp"
#include "serial/com_types.hpp"
#include "serial/comlink.hpp"
#include "serial/component.hpp"
#include "serial/ecomport.hpp"

namespace helvanta {

class SerialDevice;
class TComThread;

// The serial port: opens a named port for exclusive use, applies the line settings,
// writes, and runs an event thread that hands line events to the main thread, where
// the bytes that arrived are read and passed to every registered link.
class TCustomComPort : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TCustomComPort* sender)>;
  using TRxCharEvent = std::function<void(TCustomComPort* sender, int count)>;
  using TRxBufEvent = std::function<void(TCustomComPort* sender, const char* buffer, int count)>;
  using TComErrorEvent = std::function<void(TCustomComPort* sender, TComErrors errors)>;
  using TComSignalEvent = std::function<void(TCustomComPort* sender, bool onOff)>;

  TCustomComPort();
  ~TCustomComPort() override;

  void Loaded() override;

  void Open();
  void Close();

  bool Connected() const { return connected_; }
  void SetConnected(bool value);
  // The device file the port name stood for at the last open (resolved afresh at each
  // open, so an adapter that comes back under another name is found again).
  const std::string& DevicePath() const { return devicePath_; }
  // Whether the event thread saw the line hang up since the port was opened (the far
  // end closed, a USB adapter was pulled): the port hears nothing more until reopened.
  bool LineHungUp() const { return hungUp_.load(); }
  const std::string& Port() const { return port_; }
  void SetPort(std::string value);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  int CustomBaudRate() const { return customBaudRate_; }
  void SetCustomBaudRate(int value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TComParity& Parity() { return parity_; }
  const TComParity& Parity() const { return parity_; }
  void SetParity(const TComParity& value);
  TComFlowControl& FlowControl() { return flowControl_; }
  const TComFlowControl& FlowControl() const { return flowControl_; }
  void SetFlowControl(const TComFlowControl& value);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool value);
  char EventChar() const { return eventChar_; }
  void SetEventChar(char value);
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents value);
  TComBuffer& Buffer() { return buffer_; }
  const TComBuffer& Buffer() const { return buffer_; }
  void SetBuffer(const TComBuffer& value);
  TComTimeouts& Timeouts() { return timeouts_; }
  const TComTimeouts& Timeouts() const { return timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TSyncMethod SyncMethod() const { return syncMethod_; }
  void SetSyncMethod(TSyncMethod value);
  TThreadPriority EventThreadPriority() const { return eventThreadPriority_; }
  void SetEventThreadPriority(TThreadPriority value);
  // Reads false while a link with a received-bytes handler is registered.
  bool TriggersOnRxChar() const { return triggersOnRxChar_ && !hasLink_; }
  void SetTriggersOnRxChar(bool value);

  int WriteStr(const std::string& str);
  int Write(const void* buffer, int count);
  int Read(void* buffer, int count);
  int InputCount();
  TComSignals Signals();
  TComErrors LastErrors();

  void RegisterLink(TComLink* link);
  void UnRegisterLink(TComLink* link);
  // Tells the device how many bytes to let gather before it wakes the event thread: the
  // fewest any receiving link wants, one where nothing says. The port calls it after each
  // delivery and when links change; a link calls it when what it wants changed otherwise.
  void RefreshInputThreshold();

  void BeginUpdate();
  void EndUpdate();
  void AbortAllAsync();

  TRxCharEvent OnRxChar;
  TRxBufEvent OnRxBuf;
  TNotifyEvent OnTxEmpty;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComSignalEvent OnRLSDChange;
  TComErrorEvent OnError;
  TNotifyEvent OnRxFlag;
  TNotifyEvent OnAfterOpen;
  TNotifyEvent OnAfterClose;
  TNotifyEvent OnBeforeOpen;
  TNotifyEvent OnBeforeClose;
  TNotifyEvent OnRx80Full;

 protected:
  virtual void CreateHandle();
  virtual void DestroyHandle();
  virtual void SetupComPort();

  virtual void DoAfterClose();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoBeforeOpen();
  virtual void DoRxChar(int count);
  virtual void DoRxBuf(const char* buffer, int count);
  virtual void DoTxEmpty();
  virtual void DoBreak();
  virtual void DoRing();
  virtual void DoRxFlag();
  virtual void DoCTSChange(bool onOff);
  virtual void DoDSRChange(bool onOff);
  virtual void DoError(TComErrors errors);
  virtual void DoRLSDChange(bool onOff);
  virtual void DoRx80Full();
  virtual void ApplyDCB();
  virtual void ApplyTimeouts();
  virtual void ApplyBuffer();

 private:
  int WantedInputBytes() const;
  // Reads all that waits (raises EComPort).
  std::vector<char> ReadWaiting();

  friend class TComThread;
  friend class TComParity;
  friend class TComFlowControl;
  friend class TComTimeouts;
  friend class TComBuffer;

  bool CanApply() const;
  int WriteBytes(const char* bytes, int count);

  void CallBeforeOpen();
  void CallAfterOpen();
  void CallBeforeClose();
  void CallAfterClose();
  void CheckSignals(bool open);
  void CallCTSChange();
  void CallDSRChange();
  void CallRLSDChange();
  void CallError();

  // The handling of one set of line events, in a fixed order; runs where the event
  // thread hands the set over (the main thread under smThreadSync).
  void DoEvents(TComEvents events);
  void CallRxChar();
  void CallTxEmpty();
  void CallBreak();
  void CallRing();
  void CallRxFlag();
  void CallRx80Full();

  void SendSignalToLink(TComLinkEvent event, bool onOff);
  void NotifyLink(TComLinkEvent event);
  void TxNotifyLink(const char* bytes, int count);
  bool HasLink() const;

  std::unique_ptr<TComThread> eventThread_;
  bool threadCreated_ = false;
  std::unique_ptr<SerialDevice> device_;
  int updateCount_ = 0;
  std::vector<TComLink*> links_;
  bool triggersOnRxChar_ = true;
  TThreadPriority eventThreadPriority_ = TThreadPriority::tpNormal;
  bool hasLink_ = false;
  bool connected_ = false;
  TBaudRate baudRate_ = TBaudRate::br9600;
  int customBaudRate_ = 9600;
  std::string port_ = "COM1";
  TStopBits stopBits_ = TStopBits::sbOneStopBit;
  TDataBits dataBits_ = TDataBits::dbEight;
  bool discardNull_ = false;
  char eventChar_ = 0;
  TComEvents events_ = kAllComEvents;
  TComBuffer buffer_{this};
  TComParity parity_{this};
  TComTimeouts timeouts_{this};
  TComFlowControl flowControl_{this};
  TSyncMethod syncMethod_ = TSyncMethod::smThreadSync;
  // Counts successful reads, so that the event thread can tell whether a delivery took
  // the waiting bytes; bytes nobody takes must not wake the thread again and again.
  std::atomic<std::uint64_t> readCount_{0};
  // The waiting bytes the last delivery told OnRxChar of without reading them; the
  // event thread compares them with what waits after it.
  std::atomic<int> rxCountTold_{0};
  std::atomic<bool> hungUp_{false};
  std::string devicePath_;
};

// The port as the hosts create it.
class TComPort : public TCustomComPort {
 public:
  TComPort() = default;
};

}  // namespace helvanta
