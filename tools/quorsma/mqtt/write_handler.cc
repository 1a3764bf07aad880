#include "write_handler.h"

#include <functional>

#include "error_report.h"
#include "set_request.h"

namespace quorsma::tool::mqtt {
namespace {

// The library's text for a failed retentive save: "<path> could not be saved: <reason>".
constexpr char kNotSaved[] = " could not be saved: ";

// The texts the library showed since `before` was taken.
std::vector<std::string> NewMessages(const std::vector<LibraryMessage>& before) {
  std::vector<std::string> texts;
  for (const LibraryMessage& m : LibraryMessages()) {
    int64_t earlier = 0;
    for (const LibraryMessage& b : before)
      if (b.text == m.text) earlier = b.count;
    if (m.count > earlier) texts.push_back(m.text);
  }
  return texts;
}

}  // namespace

bool WriteHandler::FileState::operator==(const FileState& o) const {
  return exists == o.exists && identity == o.identity && size == o.size && modified_ns == o.modified_ns;
}

WriteHandler::WriteHandler(MH_SHARED_STRUCTURE* image, const Permission& allowed)
    : image_(image), allowed_(allowed) {}

std::string WriteHandler::Handle(const std::string& operand, const ReceivedMessage& message) {
  if (message.retained) {
    const std::size_t hash = std::hash<std::string>{}(message.topic);
    if (retained_reported_.count(hash) != 0) return {};
    if (retained_reported_.size() < kRememberedTopics) retained_reported_.insert(hash);
    return "a retained message is never written (the broker would give it again at every connect): publish "
           "writes without the retain flag, and clear this one with an empty retained message";
  }
  if (operand.size() > kQuoteLimit) return "operand " + Quote(operand) + ": no operand is that long";
  if (message.payload_size > kQuoteLimit)
    return "value " + Quote(message.payload, message.payload_size) + " for " + Cut(operand) +
           ": a 32-bit number, decimal or 0x hexadecimal, of at most " + std::to_string(kQuoteLimit) + " bytes";
  return Write(operand, message.payload);
}

std::string WriteHandler::Write(const std::string& operand, const std::string& payload) {
  // Only a D register that changes is saved.
  Operand op;
  std::string ignored;
  const bool watch = !failing_file_.empty() && CheckOperand(operand, Role::kWrite, &op, &ignored) && op.device == "D";
  const std::string device = watch ? OperandText(op) : std::string();
  const int32_t old_value = watch ? GetSma(device.c_str()) : 0;
  const FileState file = watch ? StateOf(failing_file_) : FileState{};
  const int64_t count = LibraryMessageCount();
  const std::vector<LibraryMessage> before = LibraryMessages();
  const std::string reason = ApplySetRequest(image_, operand, payload, allowed_);
  if (LibraryMessageCount() != count) {
    for (const std::string& text : NewMessages(before)) {
      if (const std::size_t at = text.find(kNotSaved); at != std::string::npos) {
        failing_file_ = text.substr(0, at);
        failing_message_ = Cp949ToUtf8(text);
      }
    }
    // The operand of the reason was checked (ASCII); the message is CP949.
    return reason.empty() ? operand + ": the library showed a message (see standard error)" : Cp949ToUtf8(reason);
  }
  if (!reason.empty()) return reason;
  if (!watch || GetSma(device.c_str()) == old_value) return {};
  if (!(StateOf(failing_file_) == file)) {
    failing_file_.clear();  // saved again: the library reports the next failure afresh
    return {};
  }
  return operand + " was written, but whether it was saved is not known: the library reported \"" + failing_message_ +
         "\" and reports a failing file only once, until a save of it succeeds";
}

}  // namespace quorsma::tool::mqtt
