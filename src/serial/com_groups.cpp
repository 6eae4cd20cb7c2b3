#include "serial/com_groups.hpp"

#include "serial/comport.hpp"

namespace helvanta {
namespace {

// Stores value and reports whether it differed; equal values change nothing.
template <typename T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

// TComParity

TComParity::TComParity(const TComParity& other)
    : bits_(other.bits_), check_(other.check_), replace_(other.replace_), replaceChar_(other.replaceChar_) {}

TComParity& TComParity::operator=(const TComParity& other) {
  bits_ = other.bits_;
  check_ = other.check_;
  replace_ = other.replace_;
  replaceChar_ = other.replaceChar_;
  return *this;
}

void TComParity::Changed() {
  if (comPort_ != nullptr) comPort_->ApplyDCB();
}

void TComParity::SetBits(TParityBits value) {
  if (Store(bits_, value)) Changed();
}
void TComParity::SetCheck(bool value) {
  if (Store(check_, value)) Changed();
}
void TComParity::SetReplace(bool value) {
  if (Store(replace_, value)) Changed();
}
void TComParity::SetReplaceChar(char value) {
  if (Store(replaceChar_, value)) Changed();
}

// TComFlowControl

TComFlowControl::TComFlowControl(const TComFlowControl& other) { *this = other; }

TComFlowControl& TComFlowControl::operator=(const TComFlowControl& other) {
  outCTSFlow_ = other.outCTSFlow_;
  outDSRFlow_ = other.outDSRFlow_;
  controlDTR_ = other.controlDTR_;
  controlRTS_ = other.controlRTS_;
  xonXoffOut_ = other.xonXoffOut_;
  xonXoffIn_ = other.xonXoffIn_;
  dsrSensitivity_ = other.dsrSensitivity_;
  txContinueOnXoff_ = other.txContinueOnXoff_;
  xonChar_ = other.xonChar_;
  xoffChar_ = other.xoffChar_;
  return *this;
}

void TComFlowControl::Changed() {
  if (comPort_ != nullptr) comPort_->ApplyDCB();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
  if (Store(outCTSFlow_, value)) Changed();
}
void TComFlowControl::SetOutDSRFlow(bool value) {
  if (Store(outDSRFlow_, value)) Changed();
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
  if (Store(controlDTR_, value)) Changed();
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
  if (Store(controlRTS_, value)) Changed();
}
void TComFlowControl::SetXonXoffOut(bool value) {
  if (Store(xonXoffOut_, value)) Changed();
}
void TComFlowControl::SetXonXoffIn(bool value) {
  if (Store(xonXoffIn_, value)) Changed();
}
void TComFlowControl::SetDSRSensitivity(bool value) {
  if (Store(dsrSensitivity_, value)) Changed();
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
  if (Store(txContinueOnXoff_, value)) Changed();
}
void TComFlowControl::SetXonChar(char value) {
  if (Store(xonChar_, value)) Changed();
}
void TComFlowControl::SetXoffChar(char value) {
  if (Store(xoffChar_, value)) Changed();
}

TFlowControl TComFlowControl::FlowControl() const {
  if (controlRTS_ == TRTSFlowControl::rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) {
    return TFlowControl::fcHardware;
  }
  if (controlRTS_ == TRTSFlowControl::rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) {
    return TFlowControl::fcSoftware;
  }
  if (controlRTS_ == TRTSFlowControl::rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) {
    return TFlowControl::fcNone;
  }
  return TFlowControl::fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
  if (value != TFlowControl::fcCustom) {
    controlRTS_ = TRTSFlowControl::rtsDisable;
    outCTSFlow_ = false;
    xonXoffIn_ = false;
    xonXoffOut_ = false;
    if (value == TFlowControl::fcHardware) {
      controlRTS_ = TRTSFlowControl::rtsHandshake;
      outCTSFlow_ = true;
    } else if (value == TFlowControl::fcSoftware) {
      xonXoffIn_ = true;
      xonXoffOut_ = true;
    }
  }
  Changed();
}

// TComTimeouts

TComTimeouts::TComTimeouts(const TComTimeouts& other) { *this = other; }

TComTimeouts& TComTimeouts::operator=(const TComTimeouts& other) {
  readInterval_ = other.readInterval_;
  readTotalMultiplier_ = other.readTotalMultiplier_;
  readTotalConstant_ = other.readTotalConstant_;
  writeTotalMultiplier_ = other.writeTotalMultiplier_;
  writeTotalConstant_ = other.writeTotalConstant_;
  return *this;
}

void TComTimeouts::Changed() {
  if (comPort_ != nullptr) comPort_->ApplyTimeouts();
}

void TComTimeouts::SetReadInterval(int value) {
  if (Store(readInterval_, value)) Changed();
}
void TComTimeouts::SetReadTotalMultiplier(int value) {
  if (Store(readTotalMultiplier_, value)) Changed();
}
void TComTimeouts::SetReadTotalConstant(int value) {
  if (Store(readTotalConstant_, value)) Changed();
}
void TComTimeouts::SetWriteTotalMultiplier(int value) {
  if (Store(writeTotalMultiplier_, value)) Changed();
}
void TComTimeouts::SetWriteTotalConstant(int value) {
  if (Store(writeTotalConstant_, value)) Changed();
}

// TComBuffer

namespace {
int EvenSize(int value) { return value > 0 && value % 2 != 0 ? value - 1 : value; }
}  // namespace

TComBuffer::TComBuffer(const TComBuffer& other) : inputSize_(other.inputSize_), outputSize_(other.outputSize_) {}

TComBuffer& TComBuffer::operator=(const TComBuffer& other) {
  inputSize_ = other.inputSize_;
  outputSize_ = other.outputSize_;
  return *this;
}

void TComBuffer::Changed() {
  if (comPort_ != nullptr) comPort_->ApplyBuffer();
}

void TComBuffer::SetInputSize(int value) {
  if (Store(inputSize_, EvenSize(value))) Changed();
}
void TComBuffer::SetOutputSize(int value) {
  if (Store(outputSize_, EvenSize(value))) Changed();
}

}  // namespace helvanta
