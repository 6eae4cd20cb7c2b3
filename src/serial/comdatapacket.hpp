#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "serial/comlink.hpp"
#include "serial/component.hpp"

namespace helvanta {

class TComDataPacket;
class TCustomComPort;

// Str is a byte string that may hold any byte, NUL included.
using TComStrEvent = std::function<void(TComDataPacket* sender, const std::string& str)>;
// Pos is 1-based; the handler leaves it at -1 to let the framer search by itself.
using TCustPacketEvent = std::function<void(TComDataPacket* sender, const std::string& str, int& pos)>;

// Joins the bytes a port delivers in arbitrary chunks into packets: a packet begins at
// the start string (or where OnCustomStart says) and ends after Size characters, at the
// stop string, or where OnCustomStop says. Bytes before a packet start go to OnDiscard.
// Not safe for use from two threads at once.
class TComDataPacket : public TComponent {
 public:
  TComDataPacket();
  ~TComDataPacket() override;

  TCustomComPort* ComPort() const { return comPort_; }
  // Moves the link from the old port to the new one; errors of the port (18) pass on.
  void SetComPort(TCustomComPort* value);

  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool value);
  bool IncludeStrings() const { return includeStrings_; }
  void SetIncludeStrings(bool value) { includeStrings_ = value; }
  // 0 or less: no limit.
  int MaxBufferSize() const { return maxBufferSize_; }
  void SetMaxBufferSize(int value) { maxBufferSize_ = value; }
  const std::string& StartString() const { return startString_; }
  void SetStartString(const std::string& value);
  const std::string& StopString() const { return stopString_; }
  void SetStopString(const std::string& value);
  // 0 or less: packets have no fixed size.
  int Size() const { return size_; }
  void SetSize(int value);

  TComStrEvent OnDiscard;
  TComStrEvent OnPacket;
  TCustPacketEvent OnCustomStart;
  TCustPacketEvent OnCustomStop;

  // The link the framer registers on its port; only its received-bytes handler is set.
  TComLink* Link() { return &link_; }

  // The received-bytes handler of the link; sender is not used.
  void RxBuf(TCustomComPort* sender, const char* buffer, int count);
  void AddData(const std::string& str);
  // Hands whatever is buffered to OnDiscard and starts over outside a packet.
  void EmptyBuffer();
  // The fewest bytes that could end the packet under way (or the next one); 1 when the
  // end is not a matter of length.
  int BytesWanted() const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void HandleBuffer();

  virtual void DoDiscard(const std::string& str);
  virtual void DoPacket(const std::string& str);
  // `str` views the framer's buffer and is valid only until the buffer changes.
  virtual void DoCustomStart(std::string_view str, int& pos);
  virtual void DoCustomStop(std::string_view str, int& pos);

 private:
  void RefreshPortThreshold();
  bool ValidStop() const;
  std::string Upper(std::string_view str) const;
  // 0-based position of the first occurrence of `what` in `text`, compared through
  // Upper; npos when absent or when `what` is empty.
  std::size_t Find(std::string_view text, const std::string& what) const;
  void CheckIncludeStrings(std::string& str) const;

  // Runs the start search once.
  void SearchStart();
  // Runs the end search once; true when it delivered a packet.
  bool SearchEnd();
  void CutBefore(std::size_t pos);
  void CheckBufferLimit();

  // The buffer's content is buffer_ from head_ on: delivered packets advance head_ so
  // that a chunk holding many packets is not shifted once per packet.
  std::string_view Buffered() const { return std::string_view(buffer_).substr(head_); }
  std::size_t BufferedLength() const { return buffer_.size() - head_; }
  void Append(std::string_view str);
  std::string Take(std::size_t count);
  void ClearBuffer();

  TComLink link_;
  TCustomComPort* comPort_ = nullptr;
  std::string startString_;
  std::string stopString_;
  int maxBufferSize_ = 1024;
  int size_ = 0;
  bool includeStrings_ = false;
  bool caseInsensitive_ = false;
  bool inPacket_ = false;
  std::string buffer_;
  std::size_t head_ = 0;
};

}  // namespace helvanta
