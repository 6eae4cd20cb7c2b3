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
  // How many bytes must wait before this follower can do anything with them (at least
  // one); unset means every byte. The port lets the line fill up to the smallest such
  // count before it delivers, so that a packet arriving byte by byte costs one delivery.
  std::function<int()> BytesWanted;
};

}  // namespace helvanta
