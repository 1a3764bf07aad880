#include "win_process.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace quorsma::testing {
namespace {

std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(backslashes * 2 + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::string line = Quote(program);
  for (const auto& arg : args) {
    line += ' ';
    line += Quote(arg);
  }
  return line;
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// This process's environment with `env` added (replacing same-named entries),
// as the NUL-separated block CreateProcessA takes.
std::vector<char> EnvironmentBlock(const std::map<std::string, std::string>& env) {
  std::vector<char> block;
  char* strings = GetEnvironmentStringsA();
  for (const char* p = strings; p && *p; p += std::strlen(p) + 1) {
    std::string entry(p);
    std::size_t eq = entry.find('=', 1);  // "=C:=C:\dir" entries start with '='
    std::string key = entry.substr(0, eq);
    bool replaced = false;
    for (const auto& [k, v] : env) replaced = replaced || SameName(k, key);
    if (!replaced) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
  }
  if (strings) FreeEnvironmentStringsA(strings);
  for (const auto& [k, v] : env) {
    std::string entry = k + "=" + v;
    block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
  }
  block.push_back('\0');
  return block;
}

std::string Unix(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

// Drains a pipe on its own thread so that a child never blocks on a full pipe.
class PipeReader {
 public:
  explicit PipeReader(HANDLE pipe) : pipe_(pipe), thread_([this] { Run(); }) {}
  ~PipeReader() {
    if (thread_.joinable()) thread_.join();
    CloseHandle(pipe_);
  }

  // Waits until `ready(data)` holds or the output ends or time runs out.
  template <typename Ready>
  std::string Take(Ready ready, unsigned timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return ended_ || ready(data_); });
    std::string out;
    std::size_t n = ready(data_);
    if (n == 0 && ended_) n = data_.size();
    out = data_.substr(0, n);
    data_.erase(0, n);
    return out;
  }

  std::string Rest() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    out.swap(data_);
    return out;
  }

 private:
  void Run() {
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(pipe_, chunk, sizeof chunk, &n, nullptr) && n > 0) {
      std::lock_guard<std::mutex> lock(mutex_);
      data_.append(chunk, n);
      changed_.notify_all();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }

  HANDLE pipe_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string data_;
  bool ended_ = false;
  std::thread thread_;
};

}  // namespace

struct WinChild::State {
  PROCESS_INFORMATION process = {};
  HANDLE input = nullptr;
  std::unique_ptr<PipeReader> out;
  std::unique_ptr<PipeReader> err;
  bool waited = false;
};

WinChild::WinChild(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& env)
    : state_(std::make_unique<State>()) {
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE in_read, in_write, out_read, out_write, err_read, err_write;
  if (!CreatePipe(&in_read, &in_write, &inherit, 0) || !CreatePipe(&out_read, &out_write, &inherit, 0) ||
      !CreatePipe(&err_read, &err_write, &inherit, 0)) {
    throw std::runtime_error("CreatePipe");
  }
  // Only the child's ends are inherited.
  SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  std::string line = CommandLine(program, args);
  std::vector<char> block = EnvironmentBlock(env);
  BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                block.data(), nullptr, &startup, &state_->process);
  CloseHandle(in_read);
  CloseHandle(out_write);
  CloseHandle(err_write);
  if (!started) {
    CloseHandle(in_write);
    CloseHandle(out_read);
    CloseHandle(err_read);
    throw std::runtime_error("CreateProcess " + program);
  }
  state_->input = in_write;
  state_->out = std::make_unique<PipeReader>(out_read);
  state_->err = std::make_unique<PipeReader>(err_read);
}

WinChild::~WinChild() {
  if (!state_->waited) {
    Kill();
    Wait();
  }
  CloseInput();
  state_->out.reset();
  state_->err.reset();
  CloseHandle(state_->process.hProcess);
  CloseHandle(state_->process.hThread);
}

std::string WinChild::ReadLine(unsigned timeout_ms) {
  auto line_end = [](const std::string& data) -> std::size_t {
    std::size_t nl = data.find('\n');
    return nl == std::string::npos ? 0 : nl + 1;
  };
  return Unix(state_->out->Take(line_end, timeout_ms));
}

void WinChild::CloseInput() {
  if (state_->input != nullptr) CloseHandle(state_->input);
  state_->input = nullptr;
}

void WinChild::Kill() { TerminateProcess(state_->process.hProcess, 137); }

WinChildResult WinChild::Wait(unsigned timeout_ms) {
  WinChildResult result;
  if (WaitForSingleObject(state_->process.hProcess, timeout_ms) != WAIT_OBJECT_0) {
    result.timed_out = true;
    TerminateProcess(state_->process.hProcess, 1);
    WaitForSingleObject(state_->process.hProcess, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeProcess(state_->process.hProcess, &code);
  result.exit_code = result.timed_out ? -1 : static_cast<int>(code);
  result.out = Unix(state_->out->Rest());
  result.err = Unix(state_->err->Rest());
  state_->waited = true;
  return result;
}

WinChildResult RunWinChild(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env, unsigned timeout_ms) {
  WinChild child(program, args, env);
  child.CloseInput();
  return child.Wait(timeout_ms);
}

std::vector<std::string> DebugOutputOf(const std::string& program, const std::vector<std::string>& args,
                                       const std::map<std::string, std::string>& env, unsigned timeout_ms) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string line = CommandLine(program, args);
  std::vector<char> block = EnvironmentBlock(env);
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS | CREATE_NO_WINDOW, block.data(), nullptr, &startup, &process)) {
    throw std::runtime_error("CreateProcess (debugged) " + program);
  }
  std::vector<std::string> texts;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    DEBUG_EVENT event = {};
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !WaitForDebugEvent(&event, static_cast<DWORD>(left.count()))) {
      TerminateProcess(process.hProcess, 1);
      texts.push_back("<timeout>");
      break;
    }
    DWORD status = DBG_CONTINUE;
    if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
      const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
      std::string text(info.nDebugStringLength, '\0');
      SIZE_T read = 0;
      ReadProcessMemory(process.hProcess, info.lpDebugStringData, text.data(), text.size(), &read);
      text.resize(read);
      if (!text.empty() && text.back() == '\0') text.pop_back();
      texts.push_back(text);
    } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
      if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
    } else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
      if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
    } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
      // The loader's initial breakpoint is ours to pass; anything else is the
      // child's own.
      if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
        status = DBG_EXCEPTION_NOT_HANDLED;
      }
    }
    bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    if (ended) break;
  }
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return texts;
}

std::string UniqueWinSectionName(const std::string& tag) {
  static std::atomic<unsigned> counter{0};
  return "qsma-wtest-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(GetTickCount()) + "-" + std::to_string(counter.fetch_add(1));
}

std::string ProgramDirectory() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  std::size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

}  // namespace quorsma::testing
