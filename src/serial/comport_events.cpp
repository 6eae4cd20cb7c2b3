#include <algorithm>
#include <vector>

#include "serial/comport.hpp"

namespace helvanta {

// Open and close notifications

void TCustomComPort::CallBeforeOpen() { DoBeforeOpen(); }

void TCustomComPort::CallAfterOpen() {
  SendSignalToLink(TComLinkEvent::leConn, true);
  DoAfterOpen();
  CheckSignals(true);
}

void TCustomComPort::CallBeforeClose() {
  CheckSignals(false);
  DoBeforeClose();
}

void TCustomComPort::CallAfterClose() {
  SendSignalToLink(TComLinkEvent::leConn, false);
  DoAfterClose();
}

void TCustomComPort::CheckSignals(bool open) {
  if (open) {
    CallCTSChange();
    CallDSRChange();
    CallRLSDChange();
    return;
  }
  SendSignalToLink(TComLinkEvent::leCTS, false);
  SendSignalToLink(TComLinkEvent::leDSR, false);
  SendSignalToLink(TComLinkEvent::leRLSD, false);
  DoCTSChange(false);
  DoDSRChange(false);
  DoRLSDChange(false);
}

void TCustomComPort::CallCTSChange() {
  const bool on = Signals().Contains(TComSignal::csCTS);
  SendSignalToLink(TComLinkEvent::leCTS, on);
  DoCTSChange(on);
}

void TCustomComPort::CallDSRChange() {
  const bool on = Signals().Contains(TComSignal::csDSR);
  SendSignalToLink(TComLinkEvent::leDSR, on);
  DoDSRChange(on);
}

void TCustomComPort::CallRLSDChange() {
  const bool on = Signals().Contains(TComSignal::csRLSD);
  SendSignalToLink(TComLinkEvent::leRLSD, on);
  DoRLSDChange(on);
}

void TCustomComPort::CallError() {
  const TComErrors errors = LastErrors();
  if (!errors.Empty()) DoError(errors);
}

// Line events, in the order they are handled: line errors are queried and cleared
// before the bytes are read.

void TCustomComPort::DoEvents(TComEvents events) {
  if (events.Contains(TComEvent::evError)) CallError();
  if (events.Contains(TComEvent::evRxChar)) CallRxChar();
  if (events.Contains(TComEvent::evTxEmpty)) CallTxEmpty();
  if (events.Contains(TComEvent::evBreak)) CallBreak();
  if (events.Contains(TComEvent::evRing)) CallRing();
  if (events.Contains(TComEvent::evCTS)) CallCTSChange();
  if (events.Contains(TComEvent::evDSR)) CallDSRChange();
  if (events.Contains(TComEvent::evRxFlag)) CallRxFlag();
  if (events.Contains(TComEvent::evRLSD)) CallRLSDChange();
  if (events.Contains(TComEvent::evRx80Full)) CallRx80Full();
}

void TCustomComPort::CallRxChar() {
  if (TriggersOnRxChar()) {
    // Nobody here reads: the handler is told how many bytes wait and takes them itself.
    const int count = InputCount();
    rxCountTold_ = count;
    if (count > 0) {
      SendSignalToLink(TComLinkEvent::leRx, true);
      DoRxChar(count);
    }
    return;
  }
  rxCountTold_ = 0;
  // One read of all that waits, without asking the driver for the count before or after;
  // every receiving link gets the same bytes.
  const std::vector<char> bytes = ReadWaiting();
  if (bytes.empty()) return;
  const int count = static_cast<int>(bytes.size());
  SendSignalToLink(TComLinkEvent::leRx, true);
  bool handedOver = false;
  auto handOver = [&] {
    handedOver = true;
    SendSignalToLink(TComLinkEvent::leRx, false);
    DoRxBuf(bytes.data(), count);
  };
  // A handler may unregister links; only links still registered are called.
  const std::vector<TComLink*> links = links_;
  for (TComLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end() || !link->OnRxBuf) continue;
    if (!handedOver) handOver();
    link->OnRxBuf(this, bytes.data(), count);
  }
  if (!handedOver) handOver();
  RefreshInputThreshold();
}

void TCustomComPort::CallTxEmpty() {
  SendSignalToLink(TComLinkEvent::leTx, false);
  NotifyLink(TComLinkEvent::leTxEmpty);
  DoTxEmpty();
}

void TCustomComPort::CallBreak() { DoBreak(); }

void TCustomComPort::CallRing() {
  NotifyLink(TComLinkEvent::leRing);
  DoRing();
}

void TCustomComPort::CallRxFlag() {
  NotifyLink(TComLinkEvent::leRxFlag);
  DoRxFlag();
}

void TCustomComPort::CallRx80Full() { DoRx80Full(); }

// Links, in registration order; links without the handler in question are skipped.

void TCustomComPort::SendSignalToLink(TComLinkEvent event, bool onOff) {
  const std::vector<TComLink*> links = links_;
  for (TComLink* link : links) {
    TComLink::SignalHandler* handler = nullptr;
    switch (event) {
      case TComLinkEvent::leConn: handler = &link->OnConn; break;
      case TComLinkEvent::leCTS: handler = &link->OnCTSChange; break;
      case TComLinkEvent::leDSR: handler = &link->OnDSRChange; break;
      case TComLinkEvent::leRLSD: handler = &link->OnRLSDChange; break;
      case TComLinkEvent::leRx: handler = &link->OnRx; break;
      case TComLinkEvent::leTx: handler = &link->OnTx; break;
      default: return;
    }
    if (*handler) (*handler)(this, onOff);
  }
}

void TCustomComPort::NotifyLink(TComLinkEvent event) {
  const std::vector<TComLink*> links = links_;
  for (TComLink* link : links) {
    TComLink::NotifyHandler* handler = nullptr;
    switch (event) {
      case TComLinkEvent::leRing: handler = &link->OnRing; break;
      case TComLinkEvent::leTxEmpty: handler = &link->OnTxEmpty; break;
      case TComLinkEvent::leRxFlag: handler = &link->OnRxFlag; break;
      default: return;
    }
    if (*handler) (*handler)(this);
  }
}

void TCustomComPort::TxNotifyLink(const char* bytes, int count) {
  const std::vector<TComLink*> links = links_;
  for (TComLink* link : links) {
    if (link->OnTxBuf) link->OnTxBuf(this, bytes, count);
  }
}

// Each Do… operation calls its handler when one is assigned.

void TCustomComPort::DoAfterClose() {
  if (OnAfterClose) OnAfterClose(this);
}
void TCustomComPort::DoAfterOpen() {
  if (OnAfterOpen) OnAfterOpen(this);
}
void TCustomComPort::DoBeforeClose() {
  if (OnBeforeClose) OnBeforeClose(this);
}
void TCustomComPort::DoBeforeOpen() {
  if (OnBeforeOpen) OnBeforeOpen(this);
}
void TCustomComPort::DoRxChar(int count) {
  if (OnRxChar) OnRxChar(this, count);
}
void TCustomComPort::DoRxBuf(const char* buffer, int count) {
  if (OnRxBuf) OnRxBuf(this, buffer, count);
}
void TCustomComPort::DoTxEmpty() {
  if (OnTxEmpty) OnTxEmpty(this);
}
void TCustomComPort::DoBreak() {
  if (OnBreak) OnBreak(this);
}
void TCustomComPort::DoRing() {
  if (OnRing) OnRing(this);
}
void TCustomComPort::DoRxFlag() {
  if (OnRxFlag) OnRxFlag(this);
}
void TCustomComPort::DoCTSChange(bool onOff) {
  if (OnCTSChange) OnCTSChange(this, onOff);
}
void TCustomComPort::DoDSRChange(bool onOff) {
  if (OnDSRChange) OnDSRChange(this, onOff);
}
void TCustomComPort::DoError(TComErrors errors) {
  if (OnError) OnError(this, errors);
}
void TCustomComPort::DoRLSDChange(bool onOff) {
  if (OnRLSDChange) OnRLSDChange(this, onOff);
}
void TCustomComPort::DoRx80Full() {
  if (OnRx80Full) OnRx80Full(this);
}

}  // namespace helvanta
