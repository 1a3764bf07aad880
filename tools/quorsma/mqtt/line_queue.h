// The messages of collected lines waiting for the broker: first in, first
// out, at most `capacity`.  When full, the oldest message makes room for the
// new one and is counted as dropped, so that collecting never stops while
// the broker is away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace quorsma::tool::mqtt {

class LineQueue {
 public:
  explicit LineQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  void Push(std::string message) {
    if (messages_.size() >= capacity_) {
      messages_.pop_front();
      ++dropped_;
    }
    messages_.push_back(std::move(message));
  }
  bool empty() const { return messages_.empty(); }
  std::size_t size() const { return messages_.size(); }
  const std::string& front() const { return messages_.front(); }
  void pop() { messages_.pop_front(); }

  // Messages dropped since the last call.
  uint64_t TakeDropped() {
    uint64_t n = dropped_;
    dropped_ = 0;
    return n;
  }

 private:
  std::size_t capacity_;
  std::deque<std::string> messages_;
  uint64_t dropped_ = 0;
};

}  // namespace quorsma::tool::mqtt
