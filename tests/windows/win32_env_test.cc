// The Win32 Env against the real system (or wine): named sections, files,
// environment, named mutexes and the sinks.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/env.h"
#include "platform/win32/long_path.h"
#include "platform/win32/named_mutex.h"
#include "support/test_image.h"
#include "win_process.h"

namespace quorsma::platform {
namespace {

using quorsma::testing::ReadBytes;
using quorsma::testing::TempDir;
using quorsma::testing::WriteBytes;

constexpr std::size_t kSmallSection = 1 << 20;

TEST(Win32SectionTest, SecondOpenOfANameSharesTheBytesOfTheFirst) {
  Env* env = DefaultEnv();
  std::string name = quorsma::testing::UniqueWinSectionName("env");
  bool first_created = false, second_created = true;
  void* first = env->CreateSection(name.c_str(), kSmallSection, &first_created);
  void* second = env->CreateSection(name.c_str(), kSmallSection, &second_created);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(first_created);
  EXPECT_FALSE(second_created);  // only the first open makes it afresh
  auto* a = static_cast<int32_t*>(env->MapSection(first, kSmallSection));
  auto* b = static_cast<int32_t*>(env->MapSection(second, kSmallSection));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(b[kSmallSection / 4 - 1], 0);  // zero-filled to the last byte
  a[5] = 1234;
  EXPECT_EQ(b[5], 1234);
  env->UnmapSection(a, kSmallSection);
  env->UnmapSection(b, kSmallSection);
  env->CloseSection(first);
  env->CloseSection(second);
  // The last handle gone, the name starts afresh.
  void* again = env->CreateSection(name.c_str(), kSmallSection, nullptr);
  auto* c = static_cast<int32_t*>(env->MapSection(again, kSmallSection));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c[5], 0);
  env->UnmapSection(c, kSmallSection);
  env->CloseSection(again);
}

TEST(Win32SectionTest, WholeImageSizedSectionMaps) {
  Env* env = DefaultEnv();
  std::string name = quorsma::testing::UniqueWinSectionName("image");
  void* handle = env->CreateSection(name.c_str(), sizeof(Image), nullptr);
  ASSERT_NE(handle, nullptr);
  auto* image = static_cast<Image*>(env->MapSection(handle, sizeof(Image)));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->BranchCol, 0);
  image->BranchCol = 7;
  EXPECT_EQ(image->BranchCol, 7);
  env->UnmapSection(image, sizeof(Image));
  env->CloseSection(handle);
}

TEST(Win32SectionTest, BadNamesAndHandlesFailWithoutAView) {
  Env* env = DefaultEnv();
  // A namespace that does not exist.
  EXPECT_EQ(env->CreateSection("NoSuchNamespace\\qsma", kSmallSection, nullptr), nullptr);
  EXPECT_EQ(env->MapSection(nullptr, kSmallSection), nullptr);
  env->UnmapSection(nullptr, kSmallSection);  // no effect
  env->CloseSection(nullptr);                 // no effect
}

TEST(Win32ProcessTest, ExecutablePathNamesThisProgram) {
  std::string path = DefaultEnv()->ExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path[1], ':');
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  EXPECT_EQ(path.substr(0, path.find_last_of('\\') + 1), quorsma::testing::ProgramDirectory());
}

TEST(Win32ProcessTest, EnvironmentValuesOfAnyLength) {
  Env* env = DefaultEnv();
  std::string long_value(1000, 'v');
  SetEnvironmentVariableA("QSMA_TEST_SHORT", "abc");
  SetEnvironmentVariableA("QSMA_TEST_LONG", long_value.c_str());
  EXPECT_EQ(env->GetEnvironment("QSMA_TEST_SHORT"), "abc");
  EXPECT_EQ(env->GetEnvironment("QSMA_TEST_LONG"), long_value);
  EXPECT_EQ(env->GetEnvironment("QSMA_TEST_MISSING"), "");
  SetEnvironmentVariableA("QSMA_TEST_SHORT", nullptr);
  SetEnvironmentVariableA("QSMA_TEST_LONG", nullptr);
}

TEST(Win32ProcessTest, SectionNameComesFromTheEnvironment) {
  Env* env = DefaultEnv();
  SetEnvironmentVariableA("QUORSMA_SECTION", nullptr);
  EXPECT_EQ(SectionName(*env), "__QR_SMA__");
  SetEnvironmentVariableA("QUORSMA_SECTION", "other");
  EXPECT_EQ(SectionName(*env), "other");
  SetEnvironmentVariableA("QUORSMA_SECTION", nullptr);
}

TEST(Win32FileTest, AtomicWriteCreatesAndReplacesWithoutLeftovers) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::string path = dir.File("data.bin");
  std::string first("one\0two\r\n\xC7\xD1", 11);
  ASSERT_TRUE(env->WriteFileAtomically(path.c_str(), first.data(), first.size()));
  std::vector<char> read;
  ASSERT_EQ(env->ReadFile(path.c_str(), &read), ReadResult::kRead);
  EXPECT_EQ(std::string(read.begin(), read.end()), first);

  std::string big(200000, 'x');
  ASSERT_TRUE(env->WriteFileAtomically(path.c_str(), big.data(), big.size()));
  EXPECT_EQ(ReadBytes(path), big);
  ASSERT_TRUE(env->WriteFileAtomically(path.c_str(), "", 0));
  ASSERT_EQ(env->ReadFile(path.c_str(), &read), ReadResult::kRead);
  EXPECT_TRUE(read.empty());

  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);  // no temporary file stays behind
}

TEST(Win32FileTest, AtomicWriteWaitsOutAReaderThatHoldsTheFileBriefly) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::string path = dir.File("open.ini");
  WriteBytes(path, "old");
  // A reader that does not share deletion blocks the rename until it closes.
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread closer([reader] {
    Sleep(20);
    CloseHandle(reader);
  });
  EXPECT_TRUE(env->WriteFileAtomically(path.c_str(), "new", 3));
  closer.join();
  EXPECT_EQ(ReadBytes(path), "new");
}

TEST(Win32FileTest, FailuresLeaveNothingBehind) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::vector<char> read{'x'};
  EXPECT_EQ(env->ReadFile(dir.File("missing").c_str(), &read), ReadResult::kMissing);
  EXPECT_FALSE(env->WriteFileAtomically(dir.File("no\\such\\dir\\f").c_str(), "a", 1));
  // The target is a directory: the rename fails and the temporary goes.
  std::filesystem::create_directory(dir.path() / "sub");
  EXPECT_FALSE(env->WriteFileAtomically(dir.File("sub").c_str(), "a", 1));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(Win32ProfileTest, ReadsAndWritesThroughTheSystem) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::string path = dir.File("p.ini");
  ASSERT_TRUE(WritePrivateProfileStringA("SEC", "Key", "value", path.c_str()));
  char out[16];
  EXPECT_EQ(env->GetProfileString("sec", "KEY", "", out, sizeof out, path.c_str()), 5u);
  EXPECT_STREQ(out, "value");
  EXPECT_EQ(env->GetProfileString("SEC", "none", "dflt", out, sizeof out, path.c_str()), 4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(env->GetProfileString("SEC", "Key", "", out, 3, path.c_str()), 2u);
  EXPECT_STREQ(out, "va");
  // No room: nothing is written, not even a terminator.
  out[0] = 'z';
  EXPECT_EQ(env->GetProfileString("SEC", "Key", "", out, 0, path.c_str()), 0u);
  EXPECT_EQ(out[0], 'z');
}

// Null arguments never reach the system functions, which would list or
// delete sections and keys, or use WIN.INI: they behave as on Linux.
TEST(Win32ProfileTest, NullArgumentsNeitherListNorDelete) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::string path = dir.File("n.ini");
  const std::string original = "[S]\r\nk=1\r\n[T]\r\nj=2\r\n";
  WriteBytes(path, original);
  char out[32];
  EXPECT_EQ(env->GetProfileString(nullptr, "k", "d", out, sizeof out, path.c_str()), 1u);
  EXPECT_STREQ(out, "d");
  EXPECT_EQ(env->GetProfileString("S", nullptr, "d", out, sizeof out, path.c_str()), 1u);
  EXPECT_STREQ(out, "d");
  EXPECT_EQ(env->GetProfileString("S", "k", "d", out, sizeof out, nullptr), 1u);
  EXPECT_STREQ(out, "d");
  EXPECT_EQ(ReadBytes(path), original);  // nothing listed or deleted
  std::vector<char> bytes;
  EXPECT_EQ(env->ReadFile(nullptr, &bytes), ReadResult::kMissing);
  EXPECT_FALSE(env->WriteFileAtomically(nullptr, "x", 1));
}

TEST(Win32LongPathTest, OnlyLongAbsolutePathsGetTheExtendedForm) {
  const std::string a(200, 'a'), b(100, 'b');
  struct Case {
    std::string path, expected;
  } cases[] = {
      {"C:\\short\\\\file.ini", "C:\\short\\\\file.ini"},  // short: as given
      {"C:\\" + a + "\\\\" + b + "/./x.ini", "\\\\?\\C:\\" + a + "\\" + b + "\\x.ini"},
      {"c:/" + a + "/" + b + "/../y.ini", "\\\\?\\c:\\" + a + "\\y.ini"},
      {"\\\\server\\share\\" + a + "\\" + b, "\\\\?\\UNC\\server\\share\\" + a + "\\" + b},
      {"relative\\" + a + "\\" + b, "relative\\" + a + "\\" + b},
      {"\\\\?\\C:\\" + a + "\\" + b, "\\\\?\\C:\\" + a + "\\" + b},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtendedLengthPath(c.path), c.expected) << c.path;
  EXPECT_FALSE(IsLongPath(std::string(259, 'x')));
  EXPECT_TRUE(IsLongPath(std::string(260, 'x')));
}

TEST(Win32LongPathTest, FilesAndProfilesBeyondMaxPath) {
  Env* env = DefaultEnv();
  TempDir dir;
  std::string deep = dir.path().string();
  for (char c : {'a', 'b', 'c'}) {
    deep += "\\" + std::string(120, c);
    ASSERT_TRUE(CreateDirectoryW(WidePath(deep).c_str(), nullptr)) << GetLastError();
  }
  std::string ini = deep + "\\\\p.ini";  // a doubled separator, as formed paths have
  ASSERT_TRUE(env->WriteFileAtomically(ini.c_str(), "[S]\r\nk=v1\r\n", 11));
  ASSERT_TRUE(env->WriteFileAtomically(ini.c_str(), "[S]\r\nk=v2\r\n", 11));
  char out[8];
  EXPECT_EQ(env->GetProfileString("s", "K", "", out, sizeof out, ini.c_str()), 2u);
  EXPECT_STREQ(out, "v2");
  EXPECT_EQ(env->GetProfileString("s", "none", "d", out, sizeof out, ini.c_str()), 1u);
  std::vector<char> bytes;
  ASSERT_EQ(env->ReadFile(ini.c_str(), &bytes), ReadResult::kRead);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "[S]\r\nk=v2\r\n");
  EXPECT_EQ(env->GetProfileString("S", "k", "missing", out, sizeof out, (deep + "\\none.ini").c_str()), 7u);
  // The directories are removed through the extended form as well.
  DeleteFileW(WidePath(ini).c_str());
  for (int i = 0; i < 3; ++i) {
    RemoveDirectoryW(WidePath(deep).c_str());
    deep.resize(deep.find_last_of('\\'));
  }
}

TEST(Win32LockTest, ObjectNamesKeepTheNamespaceOfTheSection) {
  EXPECT_EQ(NamedMutexLock::ObjectName("__QR_SMA__", "LogLock"), "__QR_SMA__.LogLock");
  EXPECT_EQ(NamedMutexLock::ObjectName("Global\\x", "LogLock"), "Global\\x.LogLock");
  EXPECT_EQ(NamedMutexLock::ObjectName("Local\\a\\b", "L"), "Local\\a_b.L");
  EXPECT_EQ(NamedMutexLock::ObjectName("a\\b", "L"), "a_b.L");
}

// Runs `lock.Lock()` on another thread; true when it got the lock in time.
bool LocksWithin(InterProcessLock& lock, std::chrono::milliseconds limit, bool unlock_after = true) {
  auto done = std::async(std::launch::async, [&] {
    lock.Lock();
    if (unlock_after) lock.Unlock();
  });
  return done.wait_for(limit) == std::future_status::ready;
}

TEST(Win32LockTest, LocksOfOneNameExcludeEachOtherAndSurviveADeadHolder) {
  SetEnvironmentVariableA("QUORSMA_SECTION", quorsma::testing::UniqueWinSectionName("lock").c_str());
  Env* env = DefaultEnv();
  NamedMutexLock first(env, "T");
  NamedMutexLock second(env, "T");
  first.Lock();
  // Held here: another thread waits on the same kernel object.
  auto waiter = std::async(std::launch::async, [&] {
    second.Lock();
    second.Unlock();
  });
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  first.Unlock();
  EXPECT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready);

  // A holder that ends without unlocking leaves the mutex abandoned: the next
  // Lock() takes it over instead of waiting for ever.
  std::thread([&] { first.Lock(); }).join();
  EXPECT_TRUE(LocksWithin(second, std::chrono::seconds(10)));
  SetEnvironmentVariableA("QUORSMA_SECTION", nullptr);
}

std::vector<std::string> g_seen;
void Collect(const char* text, void* context) {
  g_seen.push_back(std::string(static_cast<const char*>(context)) + text);
}

TEST(Win32SinkTest, SinksReceiveTextsUntilCleared) {
  Env* env = DefaultEnv();
  g_seen.clear();
  SetMessageSink(Collect, const_cast<char*>("M:"));
  SetTraceSink(Collect, const_cast<char*>("T:"));
  env->ShowMessage("box \xC7\xD1");
  env->Trace("line\r\n");
  SetMessageSink(nullptr, nullptr);
  SetTraceSink(nullptr, nullptr);
  env->Trace("to the debugger");  // default again: not collected
  EXPECT_EQ(g_seen, (std::vector<std::string>{"M:box \xC7\xD1", "T:line\r\n"}));
}

}  // namespace
}  // namespace quorsma::platform
