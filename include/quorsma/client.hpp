// The client library for C++ callers: value types, std::string texts and
// owning handles over the C API of client.h, which this header is included
// by.  Everything here is inline and calls the C functions; the rules live
// in the library alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorsma::client {

namespace detail {
// Calls `give(buffer, size)`, a C function that writes a text and returns
// the length it needs, with a buffer large enough for the whole text.
template <typename Give>
std::string Text(Give give) {
  char small[512];
  const std::size_t n = give(small, sizeof small);
  if (n < sizeof small) return std::string(small, n);
  std::string text(n + 1, '\0');
  give(text.data(), text.size());
  text.resize(n);
  return text;
}
inline std::string Field(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }
}  // namespace detail

// ---- Record types, shared with the library's own code ----------------------

enum class Role : int32_t {
  kValue = QSC_ROLE_VALUE,
  kMulDivValue = QSC_ROLE_MULDIV_VALUE,
  kWrite = QSC_ROLE_WRITE,
  kCell = QSC_ROLE_CELL,
  kMulDivCell = QSC_ROLE_MULDIV_CELL,
  kIncrement = QSC_ROLE_INCREMENT,
  kDecrement = QSC_ROLE_DECREMENT,
  kTimer = QSC_ROLE_TIMER,
  kPulseRelay = QSC_ROLE_PULSE_RELAY,
  kShiftStart = QSC_ROLE_SHIFT_START,
  kShiftLength = QSC_ROLE_SHIFT_LENGTH,
  kComment = QSC_ROLE_COMMENT,
  kMonitor = QSC_ROLE_MONITOR,
  kStore = QSC_ROLE_STORE,
  kAny = QSC_ROLE_ANY,
};

struct Operand {
  enum class Kind : int32_t { kConstant = QSC_OPERAND_CONSTANT, kDigits = QSC_OPERAND_DIGITS, kDevice = QSC_OPERAND_DEVICE };
  Kind kind = Kind::kDevice;
  std::string device;           // "X", "SM", ...; the bit device of a digit group
  int64_t number = 0;           // device number, or the constant's value
  int32_t bit = -1;             // -1: no bit suffix
  int32_t index_register = -1;  // -1: no index suffix
  int32_t digits = 0;           // digit group: groups of 4 bits
  bool IsPlainDevice() const { return kind == Kind::kDevice && bit < 0 && index_register < 0; }

  static Operand From(const qsc_operand& c) {
    Operand op;
    op.kind = static_cast<Kind>(c.kind);
    op.device = detail::Field(c.device, sizeof c.device);
    op.number = c.number;
    op.bit = c.bit;
    op.index_register = c.index_register;
    op.digits = c.digits;
    return op;
  }
  qsc_operand ToC() const {
    qsc_operand c{};
    c.kind = static_cast<int32_t>(kind);
    std::strncpy(c.device, device.c_str(), sizeof c.device - 1);
    c.number = number;
    c.bit = bit;
    c.index_register = index_register;
    c.digits = digits;
    return c;
  }
};

// A run of plain devices of one kind: device first..last, both included.
struct DeviceRange {
  std::string device;
  int32_t first = 0;
  int32_t last = 0;
  int32_t Count() const { return last - first + 1; }
  bool Contains(std::string_view kind, int64_t number) const {
    return kind == device && number >= first && number <= last;
  }
  bool operator==(const DeviceRange& other) const {
    return device == other.device && first == other.first && last == other.last;
  }
  static DeviceRange From(const qsc_range& c) { return {detail::Field(c.device, sizeof c.device), c.first, c.last}; }
  qsc_range ToC() const {
    qsc_range c{};
    std::strncpy(c.device, device.c_str(), sizeof c.device - 1);
    c.first = first;
    c.last = last;
    return c;
  }
};

struct RangeItem {
  enum class Kind : int32_t { kRange = QSC_ITEM_RANGE, kOperand = QSC_ITEM_OPERAND, kAll = QSC_ITEM_ALL };
  Kind kind = Kind::kRange;
  DeviceRange range;  // kRange
  Operand operand;    // kOperand
};

struct RangeOptions {
  bool allow_all = false;  // accept the item "all"
};

enum class ReadPath : int32_t { kLibrary = QSC_READ_LIBRARY, kImage = QSC_READ_IMAGE };
enum class ValueFormat : int32_t {
  kDec = QSC_FORMAT_DEC,
  kHex = QSC_FORMAT_HEX,
  kBin = QSC_FORMAT_BIN,
  kU16 = QSC_FORMAT_U16
};

struct DeviceValue {
  std::string operand;  // canonical text
  bool ok = true;       // false: an index register pointed outside the area
  int32_t value = 0;
  int32_t width = 32;   // bits that make the value: 1, 4 x digits, 16 or 32
  std::string comment;  // CP949 bytes; empty when none
  bool timer = false;   // the fields below are set
  int32_t timer_current = 0;
  int32_t timer_set = 0;
  bool timer_coil = false;
  bool forced = false;  // set by the caller that knows the forces

  static DeviceValue From(const qsc_value& c) {
    DeviceValue v;
    v.operand = detail::Field(c.operand, sizeof c.operand);
    v.ok = c.ok != 0;
    v.value = c.value;
    v.width = c.width;
    v.comment = detail::Field(c.comment, sizeof c.comment);
    v.timer = c.timer != 0;
    v.timer_current = c.timer_current;
    v.timer_set = c.timer_set;
    v.timer_coil = c.timer_coil != 0;
    return v;
  }
  qsc_value ToC() const {
    qsc_value c{};
    std::strncpy(c.operand, operand.c_str(), sizeof c.operand - 1);
    c.ok = ok;
    c.value = value;
    c.width = width;
    std::strncpy(c.comment, comment.c_str(), sizeof c.comment - 1);
    c.timer = timer;
    c.timer_current = timer_current;
    c.timer_set = timer_set;
    c.timer_coil = timer_coil;
    return c;
  }
};

// A device held at a value against the program (the force table).
struct Force {
  std::string device;
  int32_t number = 0;
  int32_t value = 0;
  bool operator==(const Force& other) const {
    return device == other.device && number == other.number && value == other.value;
  }
};

#if !defined(QSC_BUILDING)
// ---- Functions over the C API -----------------------------------------------

inline constexpr int32_t kMaxRangeDevices = QSC_MAX_RANGE_DEVICES;
inline constexpr std::size_t kCommentMaxBytes = QSC_COMMENT_MAX_BYTES;

// ---- Device kinds and operands -------------------------------------------

inline const qsc_device_kind* FindKind(std::string_view name) { return qsc_device_kind_find(name.data(), name.size()); }
// Element count of a device's area (0 for an unknown device).
inline int32_t AreaCount(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr ? kind->count : 0;
}
// True for X Y B W, whose numbers are hexadecimal.
inline bool IsHexDevice(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->radix == 16;
}
// True for the bit devices X Y M L B S SM (and T, whose value is its contact).
inline bool IsBitDevice(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->is_bit != 0;
}

// Checks that `text` parses and suits `role`; on failure false and a reason
// that can follow the operand in an error message.
inline bool CheckOperand(std::string_view text, Role role, Operand* out, std::string* error) {
  qsc_operand c{};
  char reason[256];
  if (qsc_operand_parse(text.data(), text.size(), static_cast<int32_t>(role), &c, reason, sizeof reason) != QSC_OK) {
    if (error) *error = reason;
    return false;
  }
  if (out) *out = Operand::From(c);
  return true;
}
// Parses `text` by the whole grammar, whatever the use.
inline bool ParseOperand(std::string_view text, Operand* out, std::string* error) {
  return CheckOperand(text, Role::kAny, out, error);
}
// The canonical upper-case text ("X1F", "K4X0", "D100.3", "M10Z2", "K50").
inline std::string OperandText(const Operand& op) {
  const qsc_operand c = op.ToC();
  return detail::Text([&](char* out, std::size_t size) { return qsc_operand_text(&c, out, size); });
}
// A plain device's text: "X1F", "D100".
inline std::string DeviceText(std::string_view device, int64_t number) {
  const std::string name(device);
  return detail::Text([&](char* out, std::size_t size) { return qsc_device_text(name.c_str(), number, out, size); });
}

// ---- Ranges and lists ----------------------------------------------------

// The cells an operand touches (a digit group 4 x digits), an index register
// resolved with `z_value`.
inline DeviceRange CellsOf(const Operand& op, int32_t z_value = 0) {
  const qsc_operand c = op.ToC();
  qsc_range range{};
  qsc_operand_cells(&c, z_value, &range);
  return DeviceRange::From(range);
}

// A parsed list, owned.
class DeviceList {
 public:
  DeviceList() = default;
  static bool Parse(std::string_view text, const RangeOptions& options, DeviceList* out, std::string* error) {
    qsc_list* list = nullptr;
    char reason[512];
    if (qsc_list_parse(text.data(), text.size(), options.allow_all ? QSC_LIST_ALLOW_ALL : 0, &list, reason,
                       sizeof reason) != QSC_OK) {
      if (error) *error = reason;
      return false;
    }
    out->list_.reset(list);
    return true;
  }
  std::vector<RangeItem> Items() const {
    std::vector<RangeItem> items;
    if (!list_) return items;
    const std::size_t n = qsc_list_item_count(list_.get());
    items.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      qsc_item c{};
      qsc_list_item_at(list_.get(), i, &c);
      RangeItem item;
      item.kind = static_cast<RangeItem::Kind>(c.kind);
      if (item.kind == RangeItem::Kind::kRange) item.range = DeviceRange::From(c.range);
      if (item.kind == RangeItem::Kind::kOperand) item.operand = Operand::From(c.operand);
      items.push_back(std::move(item));
    }
    return items;
  }
  std::size_t OperandCount() const { return list_ ? qsc_list_operand_count(list_.get()) : 0; }
  std::vector<std::string> Operands() const {
    std::vector<std::string> operands;
    const std::size_t n = OperandCount();
    operands.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
      operands.push_back(
          detail::Text([&](char* out, std::size_t size) { return qsc_list_operand_at(list_.get(), i, out, size); }));
    return operands;
  }

 private:
  struct Free {
    void operator()(qsc_list* list) const { qsc_list_free(list); }
  };
  std::unique_ptr<qsc_list, Free> list_;
};

// Parses a comma-separated list into its items; the reason of a failure
// names the item.
inline bool ParseRangeList(std::string_view text, const RangeOptions& options, std::vector<RangeItem>* out,
                           std::string* error) {
  DeviceList list;
  if (!DeviceList::Parse(text, options, &list, error)) return false;
  *out = list.Items();
  return true;
}

// The operand texts a list stands for, in order ("all" gives none).
inline std::vector<std::string> ExpandOperands(std::string_view text, std::string* error) {
  DeviceList list;
  if (!DeviceList::Parse(text, {}, &list, error)) return {};
  return list.Operands();
}

// ---- Permissions and the checked write ----------------------------------

// A write permission: grants exactly what its text names (client.h).
class Permission {
 public:
  Permission() = default;
  static bool Parse(std::string_view text, Permission* out, std::string* error) {
    qsc_permission* made = nullptr;
    char reason[512];
    if (qsc_permission_parse(text.data(), text.size(), &made, reason, sizeof reason) != QSC_OK) {
      if (error) *error = reason;
      return false;
    }
    out->permission_.reset(made, qsc_permission_free);
    return true;
  }
  // Every device.
  static Permission All() {
    Permission p;
    Parse("all", &p, nullptr);
    return p;
  }
  bool Allows(std::string_view device, int64_t number, int64_t count = 1) const {
    const std::string name(device);
    return qsc_permission_allows(permission_.get(), name.c_str(), number, count) != 0;
  }
  bool AllowsBit(std::string_view device, int64_t number, int32_t bit) const {
    const std::string name(device);
    return qsc_permission_allows_bit(permission_.get(), name.c_str(), number, bit) != 0;
  }
  bool all() const { return qsc_permission_is_all(permission_.get()) != 0; }
  bool empty() const { return qsc_permission_is_empty(permission_.get()) != 0; }
  const qsc_permission* get() const { return permission_.get(); }

 private:
  std::shared_ptr<qsc_permission> permission_;
};

// Checks a write (client.h, qsc_write_check); QSC_OK and *target, or the
// refusal's status and reason.
inline int32_t CheckWrite(const MH_SHARED_STRUCTURE* image, const Permission& permission, std::string_view text,
                          Role role, int64_t value, qsc_write_target* target, std::string* error) {
  char reason[512];
  const int32_t status = qsc_write_check(image, permission.get(), text.data(), text.size(),
                                         static_cast<int32_t>(role), value, target, reason, sizeof reason);
  if (status != QSC_OK && error) *error = reason;
  return status;
}
// Writes a checked target; QSC_FAILED with the core's message when it
// refused the write or could not save it (while messages are captured).
inline int32_t ApplyWrite(const qsc_write_target& target, std::string* error = nullptr) {
  char reason[512];
  const int32_t status = qsc_write_apply(&target, reason, sizeof reason);
  if (status != QSC_OK && error) *error = reason;
  return status;
}

// A value typed for writing: decimal or 0x hexadecimal, optional sign; 32
// bits (0xFFFFFFFF is -1).
inline bool ParseValueText(std::string_view text, int32_t* value) {
  int64_t v = 0;
  if (qsc_parse_value(text.data(), text.size(), 0, &v) != QSC_OK) return false;
  *value = static_cast<int32_t>(v);
  return true;
}
// The same without the 32-bit wrap: -0xFFFFFFFF to 0xFFFFFFFF.
inline bool ParseWideValueText(std::string_view text, int64_t* value) {
  return qsc_parse_value(text.data(), text.size(), QSC_VALUE_WIDE, value) == QSC_OK;
}

// ---- Reading and formatting ---------------------------------------------

inline bool ParseValueFormat(std::string_view text, ValueFormat* out) {
  const int32_t format = qsc_format_parse(text.data(), text.size());
  if (format < 0) return false;
  *out = static_cast<ValueFormat>(format);
  return true;
}

// Reads an operand CheckOperand accepted for Role::kMonitor.
inline DeviceValue ReadDeviceValue(const MH_SHARED_STRUCTURE* image, const Operand& op, ReadPath path) {
  const qsc_operand c = op.ToC();
  qsc_value v{};
  qsc_read_operand(image, &c, static_cast<int32_t>(path), &v);
  return DeviceValue::From(v);
}
// Parses `text` first; an operand the grammar refuses gives ok == false.
inline DeviceValue ReadDeviceValue(const MH_SHARED_STRUCTURE* image, std::string_view text, ReadPath path) {
  qsc_value v{};
  if (qsc_read(image, text.data(), text.size(), static_cast<int32_t>(path), &v, nullptr, 0) != QSC_OK) {
    DeviceValue refused;
    refused.operand = std::string(text);
    refused.ok = false;
    return refused;
  }
  return DeviceValue::From(v);
}

inline std::string FormatValue(const DeviceValue& v, ValueFormat format) {
  const qsc_value c = v.ToC();
  return detail::Text([&](char* out, std::size_t size) {
    return qsc_format_value(&c, static_cast<int32_t>(format), out, size);
  });
}
inline std::string ToJson(const DeviceValue& v, ValueFormat format) {
  const qsc_value c = v.ToC();
  return detail::Text([&](char* out, std::size_t size) {
    return qsc_value_json(&c, static_cast<int32_t>(format), v.forced, out, size);
  });
}
// A JSON array of the values, one object per line.
inline std::string ToJsonArray(const std::vector<DeviceValue>& values, ValueFormat format) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ",\n " : "\n ") + ToJson(values[i], format);
  return out + "\n]\n";
}
inline std::string CsvHeader() { return qsc_csv_header(); }
inline std::string ToCsv(const DeviceValue& v, ValueFormat format) {
  const qsc_value c = v.ToC();
  return detail::Text([&](char* out, std::size_t size) {
    return qsc_value_csv(&c, static_cast<int32_t>(format), v.forced, out, size);
  });
}

// ---- Comments and texts ---------------------------------------------------

// The comment of a device cell (CP949 bytes, at most 255).
inline std::string CommentOf(const MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number) {
  const std::string name(device);
  return detail::Text([&](char* out, std::size_t size) { return qsc_comment_of(image, name.c_str(), number, out, size); });
}
inline char* CommentEntry(MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number) {
  const std::string name(device);
  return qsc_comment_entry(image, name.c_str(), number);
}
// Checks a comment typed in UTF-8 and gives its CP949 bytes.
inline bool CommentFromUtf8(std::string_view utf8, std::string* cp949, std::string* error) {
  char converted[QSC_COMMENT_MAX_BYTES + 1];
  std::size_t length = 0;
  char reason[256];
  if (qsc_comment_from_utf8(utf8.data(), utf8.size(), converted, &length, reason, sizeof reason) != QSC_OK) {
    if (error) *error = reason;
    return false;
  }
  cp949->assign(converted, length);
  return true;
}
// Why the comment file could not be rewritten (client.h).
inline std::string CommentWriteFailure(const MH_SHARED_STRUCTURE* image) {
  return detail::Text([&](char* out, std::size_t size) { return qsc_comment_write_failure(image, out, size); });
}
// Checks a comment in CP949.
inline bool CheckComment(std::string_view cp949, std::string* error) {
  char reason[256];
  if (qsc_comment_check(cp949.data(), cp949.size(), reason, sizeof reason) == QSC_OK) return true;
  if (error) *error = reason;
  return false;
}
inline std::string Cp949ToUtf8(std::string_view cp949) {
  return detail::Text([&](char* out, std::size_t size) { return qsc_cp949_to_utf8(cp949.data(), cp949.size(), out, size); });
}
inline bool Utf8ToCp949(std::string_view utf8, std::string* cp949) {
  std::size_t needed = 0;
  std::string out(utf8.size() + 1, '\0');  // CP949 never takes more bytes than UTF-8
  if (qsc_utf8_to_cp949(utf8.data(), utf8.size(), out.data(), out.size(), &needed) != QSC_OK) return false;
  out.resize(needed);
  *cp949 = std::move(out);
  return true;
}
// Control bytes as \r \n \t \xHH.
inline std::string EscapeControls(std::string_view text) {
  return detail::Text([&](char* out, std::size_t size) { return qsc_escape_controls(text.data(), text.size(), out, size); });
}
// A UTF-8 text as a JSON string literal, quotes included.
inline std::string JsonString(std::string_view utf8) {
  return detail::Text([&](char* out, std::size_t size) { return qsc_json_string(utf8.data(), utf8.size(), out, size); });
}

// ---- The core library's messages ------------------------------------------

struct LibraryMessage {
  std::string text;  // CP949, as the library formatted it
  int64_t count = 0;
};
inline int64_t LibraryMessageCount() { return qsc_messages_count(); }
// Every distinct text so far with its count, in order of first appearance.
inline std::vector<LibraryMessage> LibraryMessages() {
  std::vector<LibraryMessage> messages;
  const int32_t n = qsc_messages_distinct();
  for (int32_t i = 0; i < n; ++i) {
    LibraryMessage m;
    m.text = detail::Text([&](char* out, std::size_t size) { return qsc_messages_at(i, &m.count, out, size); });
    messages.push_back(std::move(m));
  }
  return messages;
}
inline void ClearLibraryMessages() { qsc_messages_clear(); }

// ---- Value-change lines ---------------------------------------------------

// Takes and parses the pending mailbox line; false when none is pending.
inline bool TakeChange(MH_SHARED_STRUCTURE* image, qsc_change* out) { return qsc_change_take(image, out) == QSC_OK; }
inline std::string LineOf(const qsc_change& change) {
  return std::string(change.line, static_cast<std::size_t>(change.line_length));
}

// Waits for the next line without polling where the system allows it.
class LineWaiter {
 public:
  explicit LineWaiter(MH_SHARED_STRUCTURE* image) { qsc_waiter_open(image, &waiter_); }
  ~LineWaiter() { qsc_waiter_close(waiter_); }
  LineWaiter(const LineWaiter&) = delete;
  LineWaiter& operator=(const LineWaiter&) = delete;
  // Returns once a line is pending, after about `timeout`, or on a signal.
  template <typename Duration>
  void Wait(Duration timeout) {
    qsc_waiter_wait(waiter_, std::chrono::duration_cast<std::chrono::microseconds>(timeout).count());
  }
  bool event_driven() const { return qsc_waiter_event_driven(waiter_) != 0; }

 private:
  qsc_waiter* waiter_ = nullptr;
};

// The name of the section in use.
inline std::string SectionName() {
  return detail::Text([](char* out, std::size_t size) { return qsc_section_name(out, size); });
}


// ---- The collector, section locks and forces ------------------------------

// Takes the mailbox's lines (without the collector lock: see SectionLock).
class Collector {
 public:
  explicit Collector(MH_SHARED_STRUCTURE* image) : image_(image) {}
  // Takes the pending line, if there is one (CP949 bytes, as the library
  // wrote it); false when none is pending.
  bool Take(std::string* line) {
    qsc_change change;
    if (qsc_change_take(image_, &change) != QSC_OK) return false;
    *line = LineOf(change);
    return true;
  }
  // Sets LogEnable to 1 and puts the earlier value back at Restore.
  void EnableLogging() {
    const int32_t earlier = qsc_log_enable(image_, 1);
    if (!enabled_) earlier_ = earlier;
    enabled_ = true;
  }
  void Restore() {
    if (!enabled_) return;
    qsc_log_enable(image_, earlier_);
    enabled_ = false;
  }

 private:
  MH_SHARED_STRUCTURE* image_;
  bool enabled_ = false;
  int32_t earlier_ = 0;
};

// "2026-12-08 04:36:03.123  " and the line: the local time of `when`.
inline std::string TimestampLine(std::chrono::system_clock::time_point when, const std::string& line) {
  const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
  return detail::Text([&](char* out, std::size_t size) { return qsc_local_time_text(us, out, size); }) + "  " + line;
}

inline std::string LockDir() {
  return detail::Text([](char* out, std::size_t size) { return qsc_lock_dir(out, size); });
}
inline std::string SectionLockPath(std::string_view job) {
  const std::string name(job);
  return detail::Text([&](char* out, std::size_t size) { return qsc_lock_path(name.c_str(), out, size); });
}

// A section lock, held until Release or destruction.
class SectionLock {
 public:
  SectionLock() = default;
  ~SectionLock() { Release(); }
  SectionLock(const SectionLock&) = delete;
  SectionLock& operator=(const SectionLock&) = delete;
  // Takes the lock of `job` without waiting; false with "another <job> is
  // running (pid N)" or the reason the lock file could not be used.
  bool Acquire(std::string_view job, std::string* error) {
    Release();
    const std::string name(job);
    char reason[512];
    if (qsc_lock_acquire(name.c_str(), &lock_, reason, sizeof reason) == QSC_OK) return true;
    lock_ = nullptr;
    if (error) *error = reason;
    return false;
  }
  void Release() {
    qsc_lock_release(lock_);
    lock_ = nullptr;
  }
  bool held() const { return lock_ != nullptr; }

 private:
  qsc_lock* lock_ = nullptr;
};

// A file published for others about the section ("runner.stats"), replaced
// whole; false with the reason.
inline bool WriteSectionFile(std::string_view name, const std::string& bytes, std::string* error) {
  const std::string file(name);
  char reason[512];
  if (qsc_section_file_write(file.c_str(), bytes.data(), bytes.size(), reason, sizeof reason) == QSC_OK) return true;
  if (error) *error = reason;
  return false;
}
// Reads such a file whole: QSC_OK, QSC_MISSING, or QSC_FAILED / QSC_BAD_INPUT
// with the reason.
inline int32_t ReadSectionFile(std::string_view name, std::string* bytes, std::string* error = nullptr) {
  const std::string file(name);
  char reason[512];
  std::size_t length = 0;
  bytes->assign(4096, '\0');
  int32_t status = qsc_section_file_read(file.c_str(), bytes->data(), bytes->size(), &length, reason, sizeof reason);
  if (status == QSC_BAD_INPUT && length > bytes->size()) {
    bytes->assign(length, '\0');
    status = qsc_section_file_read(file.c_str(), bytes->data(), bytes->size(), &length, reason, sizeof reason);
  }
  bytes->resize(status == QSC_OK ? length : 0);
  if (status != QSC_OK && error) *error = reason;
  return status;
}

inline constexpr std::size_t kMaxForceFileBytes = QSC_MAX_FORCE_FILE_BYTES;


inline bool IsForceable(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->forceable != 0;
}
inline std::string ForceTablePath() {
  return detail::Text([](char* out, std::size_t size) { return qsc_forces_path(out, size); });
}

// The force table of the section in use (client.h).  Copies share the table.
class ForceTable {
 public:
  ForceTable() : forces_(qsc_forces_new(), qsc_forces_free) {}
  bool Load(std::string* error) { return Status(qsc_forces_load(forces_.get(), Reason(), kReason), error); }
  bool Save(std::string* error) const { return Status(qsc_forces_save(forces_.get(), Reason(), kReason), error); }
  bool damaged() const { return qsc_forces_damage(forces_.get(), nullptr, 0) > 0; }
  std::string damage() const {
    return detail::Text([&](char* out, std::size_t size) { return qsc_forces_damage(forces_.get(), out, size); });
  }
  std::vector<Force> forces() const {
    std::vector<Force> all;
    const std::size_t n = qsc_forces_count(forces_.get());
    all.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      qsc_force f{};
      qsc_forces_at(forces_.get(), i, &f);
      all.push_back({detail::Field(f.device, sizeof f.device), f.number, f.value});
    }
    return all;
  }
  bool empty() const { return qsc_forces_count(forces_.get()) == 0; }
  // Sets or replaces the force of a device; false for one that cannot be forced.
  bool Set(const Force& force) {
    return qsc_forces_set(forces_.get(), force.device.c_str(), force.number, force.value) == QSC_OK;
  }
  bool Clear(const std::string& device, int32_t number) {
    return qsc_forces_clear(forces_.get(), device.c_str(), number) != 0;
  }
  void ClearAll() { qsc_forces_clear_all(forces_.get()); }
  bool Has(const std::string& device, int32_t number) const {
    return qsc_forces_find(forces_.get(), device.c_str(), number, nullptr) != 0;
  }
  void ApplyInputs(MH_SHARED_STRUCTURE* image) const { qsc_forces_apply(forces_.get(), image, QSC_FORCE_INPUTS); }
  void ApplyOutputs(MH_SHARED_STRUCTURE* image) const { qsc_forces_apply(forces_.get(), image, QSC_FORCE_OUTPUTS); }
  void ApplyAll(MH_SHARED_STRUCTURE* image) const {
    qsc_forces_apply(forces_.get(), image, QSC_FORCE_INPUTS | QSC_FORCE_OUTPUTS);
  }
  // Writes one device's force into its cell now; false when it has none.
  bool ApplyOne(MH_SHARED_STRUCTURE* image, const std::string& device, int32_t number) const {
    return qsc_forces_apply_one(forces_.get(), image, device.c_str(), number) != 0;
  }
  // Between scans: reloads a changed file; why a changed file was refused
  // (once per change), or empty.
  std::string Refresh() {
    return detail::Text([&](char* out, std::size_t size) { return qsc_forces_refresh(forces_.get(), out, size); });
  }

 private:
  static constexpr std::size_t kReason = 1024;
  char* Reason() const { return reason_.get(); }
  bool Status(int32_t status, std::string* error) const {
    if (status == QSC_OK) return true;
    if (error) *error = reason_.get();
    return false;
  }
  std::shared_ptr<qsc_forces> forces_;
  std::shared_ptr<char[]> reason_{new char[kReason]()};
};

// ---- The running program, for monitors (see qsc_program_publish) ---------

using Instruction = qsc_instruction;
using ScanState = qsc_scan_state;

struct PublishedProgram {
  int64_t run_id = 0;
  std::string name;
  std::vector<Instruction> instructions;
};

// The runner's side: false with the reason when the file cannot be written.
inline bool PublishProgram(const PublishedProgram& program, std::string* error) {
  char reason[1024] = "";
  if (qsc_program_publish(program.run_id, program.name.c_str(), program.instructions.data(),
                          program.instructions.size(), reason, sizeof reason) == QSC_OK)
    return true;
  if (error) *error = reason;
  return false;
}
inline bool PublishScan(const ScanState& state, const uint8_t* results, std::string* error) {
  char reason[1024] = "";
  if (qsc_scan_publish(&state, results, reason, sizeof reason) == QSC_OK) return true;
  if (error) *error = reason;
  return false;
}

// The monitor's side: the qsc_status of the read, with the reason.
inline int32_t LoadProgram(PublishedProgram* program, std::string* error) {
  char reason[1024] = "";
  qsc_program* loaded = nullptr;
  const int32_t status = qsc_program_load(&loaded, reason, sizeof reason);
  if (status != QSC_OK) {
    if (error) *error = reason;
    return status;
  }
  program->run_id = qsc_program_run_id(loaded);
  program->name = detail::Text([&](char* out, std::size_t size) { return qsc_program_name(loaded, out, size); });
  program->instructions.resize(qsc_program_count(loaded));
  for (std::size_t i = 0; i < program->instructions.size(); ++i) qsc_program_at(loaded, i, &program->instructions[i]);
  qsc_program_free(loaded);
  return QSC_OK;
}
// The runner's side: whether a monitor has read a scan lately.
inline bool ScanWanted(int64_t now_unix_ms) { return qsc_scan_wanted(now_unix_ms) != 0; }
inline int32_t ReadScan(ScanState* state, std::vector<uint8_t>* results, std::size_t capacity, std::string* error) {
  char reason[1024] = "";
  results->assign(capacity, 0);
  const int32_t status = qsc_scan_read(state, results->data(), capacity, reason, sizeof reason);
  if (status != QSC_OK) {
    if (error) *error = reason;
    results->clear();
    return status;
  }
  results->resize(state->count);
  return QSC_OK;
}

// Running as a service (see qsc_service_notify): Notify("READY=1"),
// Notify("STATUS=serving 3 clients"), Notify("WATCHDOG=1").  True when sent.
inline bool ServiceNotify(const std::string& state) { return qsc_service_notify(state.c_str()) > 0; }
// How often the service manager wants WATCHDOG=1 at the latest; zero when it
// watches nothing.  Send it at half this interval.
inline std::chrono::microseconds ServiceWatchdogInterval() {
  return std::chrono::microseconds(qsc_service_watchdog_usec());
}
// WATCHDOG=1 when due (qsc_service_alive): call it on every pass of a loop.
inline void ServiceAlive() { qsc_service_alive(); }

#endif  // !QSC_BUILDING

}  // namespace quorsma::client
