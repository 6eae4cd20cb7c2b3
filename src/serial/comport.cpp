#include "serial/comport.hpp"

#include <algorithm>
#include <utility>

#include "serial/comthread.hpp"
#include "serial/dcb.hpp"
#include "serial/port_device.hpp"
#include "serial/serial_device.hpp"

namespace helvanta {

TCustomComPort::TCustomComPort() : device_(std::make_unique<SerialDevice>()) {}

TCustomComPort::~TCustomComPort() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot pass the error on (it can only come from a handler); the
    // thread and the device are released below all the same.
  }
  eventThread_.reset();
  threadCreated_ = false;
  device_->Close();
  connected_ = false;
  // Linked components unregister their links while the port is still whole.
  NotifyRemoval();
}

void TCustomComPort::Loaded() {
  TComponent::Loaded();
  if (connected_ && !Designing()) {
    connected_ = false;
    Open();
  }
}

// Opening and closing

void TCustomComPort::Open() {
  if (connected_ || Designing()) return;
  CallBeforeOpen();
  CreateHandle();
  connected_ = true;
  try {
    SetupComPort();
    RefreshInputThreshold();
    if (!events_.Empty()) {
      eventThread_ = std::make_unique<TComThread>(this);
      threadCreated_ = true;
    }
  } catch (...) {
    DestroyHandle();
    connected_ = false;
    throw;
  }
  CallAfterOpen();
}

void TCustomComPort::Close() {
  if (!connected_ || Designing()) return;
  CallBeforeClose();
  AbortAllAsync();
  if (threadCreated_) {
    eventThread_.reset();
    threadCreated_ = false;
  }
  DestroyHandle();
  connected_ = false;
  CallAfterClose();
}

void TCustomComPort::CreateHandle() {
  devicePath_ = PortDevicePath(port_);
  hungUp_ = false;
  const int error = device_->Open(devicePath_);
  if (error != 0) throw EComPort(kCeOpen, error, devicePath_);
}

void TCustomComPort::DestroyHandle() { device_->Close(); }

void TCustomComPort::SetupComPort() {
  ApplyBuffer();
  ApplyDCB();
  ApplyTimeouts();
}

bool TCustomComPort::CanApply() const { return connected_ && updateCount_ == 0 && !Loading() && !Designing(); }

void TCustomComPort::ApplyDCB() {
  if (!CanApply()) return;
  const int error = device_->SetState(BuildDcb(*this));
  if (error != 0) throw EComPort(kCeSetState, error, devicePath_);
}

void TCustomComPort::ApplyTimeouts() {
  if (!CanApply()) return;
  const int error = device_->SetTimeouts(BuildCommTimeouts(*this));
  if (error != 0) throw EComPort(kCeTimeouts, error, devicePath_);
}

void TCustomComPort::ApplyBuffer() {
  if (!CanApply()) return;
  const int error = device_->SetupBuffers(buffer_.InputSize(), buffer_.OutputSize());
  if (error != 0) throw EComPort(kCeSetupComm, error, devicePath_);
}

void TCustomComPort::BeginUpdate() { ++updateCount_; }

void TCustomComPort::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetupComPort();
}

// Properties

void TCustomComPort::SetConnected(bool value) {
  if (Loading() || Designing()) {
    connected_ = value;
  } else if (value) {
    Open();
  } else {
    Close();
  }
}

void TCustomComPort::SetPort(std::string value) {
  if (value == port_) return;
  port_ = std::move(value);
  if (connected_ && !Loading() && !Designing()) {
    Close();
    Open();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (value == baudRate_) return;
  baudRate_ = value;
  ApplyDCB();
}

void TCustomComPort::SetCustomBaudRate(int value) {
  if (value == customBaudRate_) return;
  customBaudRate_ = value;
  ApplyDCB();
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (value == dataBits_) return;
  dataBits_ = value;
  ApplyDCB();
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (value == stopBits_) return;
  stopBits_ = value;
  ApplyDCB();
}

void TCustomComPort::SetParity(const TComParity& value) {
  if (value == parity_) return;
  parity_ = value;
  ApplyDCB();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  if (value == flowControl_) return;
  flowControl_ = value;
  ApplyDCB();
}

void TCustomComPort::SetDiscardNull(bool value) {
  if (value == discardNull_) return;
  discardNull_ = value;
  ApplyDCB();
}

void TCustomComPort::SetEventChar(char value) {
  if (value == eventChar_) return;
  eventChar_ = value;
  ApplyDCB();
}

void TCustomComPort::SetEvents(TComEvents value) { events_ = value; }

void TCustomComPort::SetBuffer(const TComBuffer& value) {
  if (value == buffer_) return;
  buffer_ = value;
  ApplyBuffer();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  if (value == timeouts_) return;
  timeouts_ = value;
  ApplyTimeouts();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
  if (value == syncMethod_) return;
  if (connected_ && !Loading() && !Designing()) throw EComPort(kCeConnChangeProp);
  syncMethod_ = value;
}

void TCustomComPort::SetEventThreadPriority(TThreadPriority value) {
  if (value == eventThreadPriority_) return;
  if (connected_ && !Loading() && !Designing()) throw EComPort(kCeConnChangeProp);
  eventThreadPriority_ = value;
}

void TCustomComPort::SetTriggersOnRxChar(bool value) {
  if (hasLink_) throw EComPort(kCeHasLink);
  triggersOnRxChar_ = value;
}

// Transfers and line state

int TCustomComPort::WriteStr(const std::string& str) { return WriteBytes(str.data(), static_cast<int>(str.size())); }

int TCustomComPort::Write(const void* buffer, int count) { return WriteBytes(static_cast<const char*>(buffer), count); }

int TCustomComPort::WriteBytes(const char* bytes, int count) {
  if (count <= 0) return 0;
  int written = 0;
  const int error = device_->Write(bytes, count, written);
  if (error != 0) throw EComPort(kCeWriteFile, error, devicePath_);
  SendSignalToLink(TComLinkEvent::leTx, true);
  TxNotifyLink(bytes, written);
  return written;
}

int TCustomComPort::Read(void* buffer, int count) {
  if (count <= 0) return 0;
  int read = 0;
  const int error = device_->Read(static_cast<char*>(buffer), count, read);
  if (error != 0) throw EComPort(kCeReadFile, error, devicePath_);
  if (read > 0) ++readCount_;
  if (InputCount() == 0) SendSignalToLink(TComLinkEvent::leRx, false);
  return read;
}

std::vector<char> TCustomComPort::ReadWaiting() {
  // The size of the terminal's input buffer: one read takes everything, and only a chunk
  // read full can have more behind it.
  constexpr int kChunk = 4096;
  std::vector<char> bytes;
  for (;;) {
    const std::size_t had = bytes.size();
    bytes.resize(had + kChunk);
    int read = 0;
    const int error = device_->ReadWaiting(bytes.data() + had, kChunk, read);
    if (error != 0) throw EComPort(kCeReadFile, error, devicePath_);
    bytes.resize(had + static_cast<std::size_t>(read));
    if (read > 0) ++readCount_;
    if (read < kChunk) return bytes;
  }
}

int TCustomComPort::InputCount() {
  int count = 0;
  const int error = device_->InputCount(count);
  if (error != 0) throw EComPort(kCeClearComm, error, devicePath_);
  return count;
}

TComSignals TCustomComPort::Signals() {
  TComSignals signals;
  const int error = device_->ModemStatus(signals);
  if (error != 0) throw EComPort(kCeModemStat, error, devicePath_);
  return signals;
}

TComErrors TCustomComPort::LastErrors() {
  TComErrors errors;
  const int error = device_->ClearErrors(parity_.Check(), errors);
  if (error != 0) throw EComPort(kCeClearComm, error, devicePath_);
  return errors;
}

void TCustomComPort::AbortAllAsync() {
  const int error = device_->AbortPending();
  if (error != 0) throw EComPort(kCePurgeComm, error, devicePath_);
}

// Links

void TCustomComPort::RegisterLink(TComLink* link) {
  if (link == nullptr || std::find(links_.begin(), links_.end(), link) != links_.end()) {
    throw EComPort(kCeRegFailed);
  }
  links_.push_back(link);
  hasLink_ = HasLink();
  RefreshInputThreshold();
}

void TCustomComPort::UnRegisterLink(TComLink* link) {
  const auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) throw EComPort(kCeRegFailed);
  links_.erase(it);
  hasLink_ = HasLink();
  RefreshInputThreshold();
}

int TCustomComPort::WantedInputBytes() const {
  // Deliveries on the event thread may race the main thread's own changes of the line
  // settings, and a handler of single bytes wants each byte at once.
  if (syncMethod_ == TSyncMethod::smNone || TriggersOnRxChar() || OnRxBuf) return 1;
  int wanted = 0;
  for (const TComLink* link : links_) {
    if (!link->OnRxBuf) continue;
    const int count = link->BytesWanted ? std::max(1, link->BytesWanted()) : 1;
    wanted = wanted == 0 ? count : std::min(wanted, count);
  }
  return std::max(1, wanted);
}

void TCustomComPort::RefreshInputThreshold() {
  if (!connected_) return;
  // Only a dead device refuses, and its hang-up is reported to the host anyway; until then
  // the old threshold stays.
  [[maybe_unused]] const int error = device_->SetInputThreshold(WantedInputBytes());
}

bool TCustomComPort::HasLink() const {
  return std::any_of(links_.begin(), links_.end(), [](const TComLink* link) { return bool(link->OnRxBuf); });
}

}  // namespace helvanta
