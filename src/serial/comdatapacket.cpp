#include "serial/comdatapacket.hpp"

#include <algorithm>
#include <exception>

#include "serial/comport.hpp"

namespace helvanta {

TComDataPacket::TComDataPacket() {
  link_.OnRxBuf = [this](TCustomComPort* sender, const char* bytes, int count) { RxBuf(sender, bytes, count); };
  link_.BytesWanted = [this] { return BytesWanted(); };
}

TComDataPacket::~TComDataPacket() {
  try {
    SetComPort(nullptr);
  } catch (const EComPort&) {
    // The port refuses only a link that is no longer on its list: nothing is left to undo,
    // and a destructor must not throw.
  }
  NotifyRemoval();
}

void TComDataPacket::SetComPort(TCustomComPort* value) {
  if (value == comPort_) return;
  if (comPort_ != nullptr) comPort_->UnRegisterLink(&link_);
  comPort_ = value;
  if (comPort_ != nullptr) {
    comPort_->FreeNotification(this);
    comPort_->RegisterLink(&link_);
  }
}

void TComDataPacket::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && comPort_ != nullptr && component == comPort_) SetComPort(nullptr);
}

void TComDataPacket::SetCaseInsensitive(bool value) {
  if (value == caseInsensitive_) return;
  caseInsensitive_ = value;
  if (!Loading()) EmptyBuffer();
}

void TComDataPacket::SetStartString(const std::string& value) {
  if (value == startString_) return;
  startString_ = value;
  if (!Loading()) EmptyBuffer();
  RefreshPortThreshold();
}

void TComDataPacket::SetStopString(const std::string& value) {
  if (value == stopString_) return;
  stopString_ = value;
  if (!Loading()) EmptyBuffer();
  RefreshPortThreshold();
}

void TComDataPacket::SetSize(int value) {
  if (value == size_) return;
  size_ = value;
  if (!Loading()) EmptyBuffer();
  RefreshPortThreshold();
}

int TComDataPacket::BytesWanted() const {
  // Only a fixed size without a stop string tells how far away the end of a packet is.
  if (size_ <= 0 || !stopString_.empty() || OnCustomStart || OnCustomStop) return 1;
  const int buffered = static_cast<int>(BufferedLength());
  if (inPacket_) return std::max(1, size_ - buffered);
  // The start string may begin in the last bytes buffered, and the packet holds it.
  const int startTail = std::min(buffered, std::max(0, static_cast<int>(startString_.size()) - 1));
  return std::max(1, size_ - startTail);
}

void TComDataPacket::RefreshPortThreshold() {
  if (comPort_ != nullptr) comPort_->RefreshInputThreshold();
}

void TComDataPacket::RxBuf(TCustomComPort*, const char* buffer, int count) {
  const std::string_view bytes =
      count > 0 ? std::string_view(buffer, static_cast<std::size_t>(count)) : std::string_view();
  // AddData, without the copy into a text of its own when the bytes are only buffered.
  if (!ValidStop()) {
    DoPacket(std::string(bytes));
    return;
  }
  Append(bytes);
  HandleBuffer();
}

void TComDataPacket::AddData(const std::string& str) {
  if (!ValidStop()) {
    // Nothing could ever end a packet: every chunk is one.
    DoPacket(str);
    return;
  }
  Append(str);
  HandleBuffer();
  RefreshPortThreshold();
}

void TComDataPacket::EmptyBuffer() {
  if (BufferedLength() == 0) return;
  const std::string content(Buffered());
  try {
    DoDiscard(content);
  } catch (...) {
    ClearBuffer();
    throw;
  }
  ClearBuffer();
}

void TComDataPacket::HandleBuffer() {
  // Every delivered packet starts another pass over what remains, and every pass ends with
  // the buffer-limit check, innermost pass first, even when a handler raised. The passes
  // run in a loop rather than by recursion, so that one huge chunk cannot exhaust the
  // stack; an error raised by a later check replaces the earlier one.
  int passes = 0;
  std::exception_ptr raised;
  try {
    for (;;) {
      ++passes;
      if (!inPacket_) SearchStart();
      if (!inPacket_) break;
      if (!SearchEnd() || inPacket_) break;
    }
  } catch (...) {
    raised = std::current_exception();
  }
  for (; passes > 0; --passes) {
    try {
      CheckBufferLimit();
    } catch (...) {
      raised = std::current_exception();
    }
  }
  if (raised) std::rethrow_exception(raised);
}

void TComDataPacket::SearchStart() {
  int pos = -1;
  DoCustomStart(Buffered(), pos);
  if (pos > 0) {
    CutBefore(static_cast<std::size_t>(pos));
  } else if (pos == -1) {
    if (startString_.empty()) {
      inPacket_ = true;
    } else {
      const std::size_t found = Find(Buffered(), startString_);
      if (found != std::string_view::npos) CutBefore(found + 1);
    }
  }
}

void TComDataPacket::CutBefore(std::size_t pos) {
  inPacket_ = true;
  if (pos > 1) {
    const std::string discarded = Take(pos - 1);
    DoDiscard(discarded);
  }
}

bool TComDataPacket::SearchEnd() {
  int pos = -1;
  DoCustomStop(Buffered(), pos);
  const std::size_t length = BufferedLength();
  std::size_t end = 0;
  if (pos > 0) {
    end = std::min(static_cast<std::size_t>(pos), length);
  } else if (pos == -1) {
    if (size_ > 0 && length >= static_cast<std::size_t>(size_)) {
      end = static_cast<std::size_t>(size_);
    } else {
      // The stop string counts only behind the start string.
      const std::size_t skip = startString_.size();
      if (length > skip) {
        const std::size_t found = Find(Buffered().substr(skip), stopString_);
        if (found != std::string_view::npos) end = skip + found + stopString_.size();
      }
    }
  }
  // A custom end on an empty buffer ends nothing: an empty packet would consume nothing
  // and the next pass would find the same state again, without end.
  if (end == 0) return false;
  inPacket_ = false;
  std::string packet = Take(end);
  CheckIncludeStrings(packet);
  DoPacket(packet);
  return true;
}

void TComDataPacket::CheckBufferLimit() {
  if (maxBufferSize_ > 0 && BufferedLength() >= static_cast<std::size_t>(maxBufferSize_)) EmptyBuffer();
}

void TComDataPacket::CheckIncludeStrings(std::string& str) const {
  if (includeStrings_) return;
  if (Find(str, startString_) == 0) str.erase(0, startString_.size());
  const std::size_t stop = Find(str, stopString_);
  // Only a first occurrence that ends the packet is taken off.
  if (stop != std::string::npos && stop + stopString_.size() == str.size()) str.erase(stop);
}

bool TComDataPacket::ValidStop() const { return size_ > 0 || !stopString_.empty() || static_cast<bool>(OnCustomStop); }

std::string TComDataPacket::Upper(std::string_view str) const {
  std::string result(str);
  if (caseInsensitive_) {
    for (char& c : result) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return result;
}

std::size_t TComDataPacket::Find(std::string_view text, const std::string& what) const {
  if (what.empty() || what.size() > text.size()) return std::string_view::npos;
  if (!caseInsensitive_) return text.find(what);
  return Upper(text).find(Upper(what));
}

void TComDataPacket::DoDiscard(const std::string& str) {
  if (OnDiscard) OnDiscard(this, str);
}

void TComDataPacket::DoPacket(const std::string& str) {
  if (OnPacket) OnPacket(this, str);
}

void TComDataPacket::DoCustomStart(std::string_view str, int& pos) {
  if (!OnCustomStart) return;
  // The handler gets its own copy: it may feed the framer, which changes the buffer.
  const std::string text(str);
  OnCustomStart(this, text, pos);
}

void TComDataPacket::DoCustomStop(std::string_view str, int& pos) {
  if (!OnCustomStop) return;
  const std::string text(str);
  OnCustomStop(this, text, pos);
}

void TComDataPacket::Append(std::string_view str) {
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = 0;
  } else if (head_ >= buffer_.size() - head_) {
    // Shift only once the consumed front outweighs what is left, so the cost stays
    // proportional to the bytes received.
    buffer_.erase(0, head_);
    head_ = 0;
  }
  buffer_.append(str);
}

std::string TComDataPacket::Take(std::size_t count) {
  count = std::min(count, BufferedLength());
  std::string taken(buffer_, head_, count);
  head_ += count;
  if (head_ == buffer_.size()) {
    buffer_.clear();
    head_ = 0;
  }
  return taken;
}

void TComDataPacket::ClearBuffer() {
  buffer_.clear();
  head_ = 0;
  inPacket_ = false;
}

}  // namespace helvanta
