#pragma once

#include "serial/com_types.hpp"

namespace helvanta {

class TCustomComPort;

// The four settings groups of a port. Each is owned by its port and holds a
// back-reference to it (null when detached, e.g. a copy made by a caller); a change of a
// field applies the matching settings of the attached port at once. Assignment from an
// object of the same class copies every field and keeps the target's back-reference.

class TComParity {
 public:
  TComParity() = default;
  explicit TComParity(TCustomComPort* port) : comPort_(port) {}
  TComParity(const TComParity& other);
  TComParity& operator=(const TComParity& other);

  TCustomComPort* ComPort() const { return comPort_; }
  // Compares the fields, not the owner.
  friend bool operator==(const TComParity& a, const TComParity& b) {
    return a.bits_ == b.bits_ && a.check_ == b.check_ && a.replace_ == b.replace_ && a.replaceChar_ == b.replaceChar_;
  }

  TParityBits Bits() const { return bits_; }
  void SetBits(TParityBits value);
  bool Check() const { return check_; }
  void SetCheck(bool value);
  bool Replace() const { return replace_; }
  void SetReplace(bool value);
  char ReplaceChar() const { return replaceChar_; }
  void SetReplaceChar(char value);

 private:
  void Changed();

  TCustomComPort* comPort_ = nullptr;
  TParityBits bits_ = TParityBits::prNone;
  bool check_ = false;
  bool replace_ = false;
  char replaceChar_ = 0;
};

class TComFlowControl {
 public:
  TComFlowControl() = default;
  explicit TComFlowControl(TCustomComPort* port) : comPort_(port) {}
  TComFlowControl(const TComFlowControl& other);
  TComFlowControl& operator=(const TComFlowControl& other);

  TCustomComPort* ComPort() const { return comPort_; }
  // Compares the fields, not the owner.
  friend bool operator==(const TComFlowControl& a, const TComFlowControl& b) {
    return a.outCTSFlow_ == b.outCTSFlow_ && a.outDSRFlow_ == b.outDSRFlow_ && a.controlDTR_ == b.controlDTR_ &&
           a.controlRTS_ == b.controlRTS_ && a.xonXoffOut_ == b.xonXoffOut_ && a.xonXoffIn_ == b.xonXoffIn_ &&
           a.dsrSensitivity_ == b.dsrSensitivity_ && a.txContinueOnXoff_ == b.txContinueOnXoff_ &&
           a.xonChar_ == b.xonChar_ && a.xoffChar_ == b.xoffChar_;
  }

  bool OutCTSFlow() const { return outCTSFlow_; }
  void SetOutCTSFlow(bool value);
  bool OutDSRFlow() const { return outDSRFlow_; }
  void SetOutDSRFlow(bool value);
  TDTRFlowControl ControlDTR() const { return controlDTR_; }
  void SetControlDTR(TDTRFlowControl value);
  TRTSFlowControl ControlRTS() const { return controlRTS_; }
  void SetControlRTS(TRTSFlowControl value);
  bool XonXoffOut() const { return xonXoffOut_; }
  void SetXonXoffOut(bool value);
  bool XonXoffIn() const { return xonXoffIn_; }
  void SetXonXoffIn(bool value);
  bool DSRSensitivity() const { return dsrSensitivity_; }
  void SetDSRSensitivity(bool value);
  bool TxContinueOnXoff() const { return txContinueOnXoff_; }
  void SetTxContinueOnXoff(bool value);
  char XonChar() const { return xonChar_; }
  void SetXonChar(char value);
  char XoffChar() const { return xoffChar_; }
  void SetXoffChar(char value);

  // Derived from the fields above; not stored.
  TFlowControl FlowControl() const;
  void SetFlowControl(TFlowControl value);

 private:
  void Changed();

  TCustomComPort* comPort_ = nullptr;
  bool outCTSFlow_ = false;
  bool outDSRFlow_ = false;
  TDTRFlowControl controlDTR_ = TDTRFlowControl::dtrDisable;
  TRTSFlowControl controlRTS_ = TRTSFlowControl::rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
  bool dsrSensitivity_ = false;
  bool txContinueOnXoff_ = false;
  char xonChar_ = 17;
  char xoffChar_ = 19;
};

// Milliseconds; -1 stands for the largest value (all 32 bits set).
class TComTimeouts {
 public:
  TComTimeouts() = default;
  explicit TComTimeouts(TCustomComPort* port) : comPort_(port) {}
  TComTimeouts(const TComTimeouts& other);
  TComTimeouts& operator=(const TComTimeouts& other);

  TCustomComPort* ComPort() const { return comPort_; }
  // Compares the fields, not the owner.
  friend bool operator==(const TComTimeouts& a, const TComTimeouts& b) {
    return a.readInterval_ == b.readInterval_ && a.readTotalMultiplier_ == b.readTotalMultiplier_ &&
           a.readTotalConstant_ == b.readTotalConstant_ && a.writeTotalMultiplier_ == b.writeTotalMultiplier_ &&
           a.writeTotalConstant_ == b.writeTotalConstant_;
  }

  int ReadInterval() const { return readInterval_; }
  void SetReadInterval(int value);
  int ReadTotalMultiplier() const { return readTotalMultiplier_; }
  void SetReadTotalMultiplier(int value);
  int ReadTotalConstant() const { return readTotalConstant_; }
  void SetReadTotalConstant(int value);
  int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  void SetWriteTotalMultiplier(int value);
  int WriteTotalConstant() const { return writeTotalConstant_; }
  void SetWriteTotalConstant(int value);

 private:
  void Changed();

  TCustomComPort* comPort_ = nullptr;
  int readInterval_ = -1;
  int readTotalMultiplier_ = 0;
  int readTotalConstant_ = 0;
  int writeTotalMultiplier_ = 100;
  int writeTotalConstant_ = 1000;
};

// Driver buffer sizes in bytes; a positive odd size is stored one lower.
class TComBuffer {
 public:
  TComBuffer() = default;
  explicit TComBuffer(TCustomComPort* port) : comPort_(port) {}
  TComBuffer(const TComBuffer& other);
  TComBuffer& operator=(const TComBuffer& other);

  TCustomComPort* ComPort() const { return comPort_; }
  // Compares the fields, not the owner.
  friend bool operator==(const TComBuffer& a, const TComBuffer& b) {
    return a.inputSize_ == b.inputSize_ && a.outputSize_ == b.outputSize_;
  }

  int InputSize() const { return inputSize_; }
  void SetInputSize(int value);
  int OutputSize() const { return outputSize_; }
  void SetOutputSize(int value);

 private:
  void Changed();

  TCustomComPort* comPort_ = nullptr;
  int inputSize_ = 1024;
  int outputSize_ = 1024;
};

}  // namespace helvanta
