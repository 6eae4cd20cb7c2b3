#pragma once

#include <functional>

namespace helvanta {

class TCustomComPort;

enum class TComLinkEvent { leConn, leCTS, leDSR, leRLSD, leRing, leRx, leTx, leTxEmpty, leRxFlag };

// Handlers through which a component follows a port; each is optional.
class TComLink {
 public:
  using SignalHandler = std::function<void(TCustomComPort* sender, bool onOff)>;
  using NotifyHandler = std::function<void(TCustomComPort* sender)>;
  using BytesHandler = std::function<void(TCustomComPort* sender, const char* bytes, int count)>;

  SignalHandler OnConn;
  SignalHandler OnCTSChange;
  SignalHandler OnDSRChange;
  SignalHandler OnRLSDChange;
  NotifyHandler OnRing;
  SignalHandler OnRx;
  SignalHandler OnTx;
  NotifyHandler OnTxEmpty;
  NotifyHandler OnRxFlag;
  BytesHandler OnRxBuf;
  BytesHandler OnTxBuf;
};

}  // namespace helvanta
