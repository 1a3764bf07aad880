// Rungs through the library's exported functions: the built shared library
// is loaded on a section of its own and the instructions are called by their
// exported names, as a ladder runner calls them.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/messages.h"
#include "quorsma/quorsma.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::InstructionSet;
using testing::Rung;

// The library beside the test program's build tree (src/ of the same build).
std::string LibraryPath() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return (exe.parent_path().parent_path() / "src" / "libQuorSMA.so").string();
}

void CollectMessage(const char* text, void* sink) { static_cast<std::vector<std::string>*>(sink)->push_back(text); }

class ExportedRungTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string path = LibraryPath();
    if (path.empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "no library at " << path;
    // The library attaches when it is loaded: give it a section of its own.
    std::string section = "qsma_ladder_exports_test_" + std::to_string(getpid());
    setenv("QUORSMA_SECTION", section.c_str(), 1);
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    Symbol<decltype(&smSetMessageSink)>("smSetMessageSink")(CollectMessage, &messages_);
    Symbol<decltype(&smGetMemoryPointer)>("smGetMemoryPointer")(&image_);
    ASSERT_NE(image_, nullptr);
    BuildInstructionSet();
  }

  void TearDown() override {
    if (library_) {
      Symbol<decltype(&smSetMessageSink)>("smSetMessageSink")(nullptr, nullptr);
      dlclose(library_);
    }
    unsetenv("QUORSMA_SECTION");
  }

  template <typename F>
  F Symbol(const char* name) {
    void* address = dlsym(library_, name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<F>(address);
  }

  void BuildInstructionSet() {
    using Unary = void (*)(const char*);
    using Edge = int32_t (*)(const char*);
    using Binary = void (*)(const char*, const char*);
    using Ternary = void (*)(const char*, const char*, const char*);
    using Nullary = void (*)();
    for (const char* name : {"LD", "LDI", "AND", "ANI", "OR", "ORI", "SET", "RST", "INC", "INCP", "DINCP", "DECP"}) {
      set_.unary[name] = Symbol<Unary>(name);
    }
    for (const char* name : {"LDP", "LDF", "ANDP", "ANDF", "ORP", "ORF"}) {
      Edge f = Symbol<Edge>(name);
      set_.unary[name] = [f](const char* operand) { EXPECT_EQ(f(operand), 1); };
    }
    for (const char* name : {"INV", "END", "ANB", "ORB", "MPS", "MRD", "MPP", "MEP"}) {
      set_.nullary[name] = Symbol<Nullary>(name);
    }
    for (const char* name : {"LAD_OUT", "PLS", "BSFLP", "LD_EQ", "LD_NEQ", "LD_LT", "LD_LTE", "LD_GT", "LD_GTE",
                             "AND_EQ", "AND_NEQ", "AND_LT", "AND_LTE", "AND_GT", "AND_GTE", "OR_EQ", "OR_NEQ",
                             "OR_LT", "OR_LTE", "OR_GTE"}) {
      set_.binary[name] = Symbol<Binary>(name);
    }
    for (const char* name : {"LAD_PLUS", "LAD_MINUS", "LAD_MULTIPLY", "LADALL_DIVIDE"}) {
      set_.ternary[name] = Symbol<Ternary>(name);
    }
    set_.push = Symbol<void (*)(int32_t)>("Push");
    pop_ = Symbol<int32_t (*)()>("Pop_p");
  }

  void Run(const Rung& rung) { testing::RunRung(set_, image_, rung); }

  void* library_ = nullptr;
  MH_SHARED_STRUCTURE* image_ = nullptr;
  std::vector<std::string> messages_;
  InstructionSet set_;
  int32_t (*pop_)() = nullptr;
};

TEST_F(ExportedRungTest, RungsRunThroughTheExports) {
  image_->SM[403] = 1;
  // LD X0, AND X1, ORI M5, OUT Y0.
  image_->X[0] = 1;
  Run({{"LD", "X0"}, {"AND", "X1"}, {"ORI", "M5"}, {"LAD_OUT", "Y0"}});
  EXPECT_EQ(image_->Y[0], 1);
  EXPECT_EQ(image_->LastResult, 1);

  // One branch point, three outputs.
  image_->X[1] = 1;
  image_->X[3] = 1;
  Run({{"END"},         {"LD", "X0"},       {"MPS"},          {"AND", "X1"}, {"LAD_OUT", "Y1"}, {"MRD"},
       {"AND", "X2"},   {"LAD_OUT", "Y2"},  {"MPP"},          {"AND", "X3"}, {"LAD_OUT", "Y3"}, {"END"}});
  EXPECT_EQ(image_->Y[1], 1);
  EXPECT_EQ(image_->Y[2], 0);
  EXPECT_EQ(image_->Y[3], 1);
  EXPECT_EQ(image_->BranchRow, 0);

  // An edge, a comparison and arithmetic over two scans.
  const Rung scan = {{"SLOT", "1"},         {"LDP", "X4"},           {"SLOT", "2"},   {"INCP", "D0"},
                     {"LD_GTE", "D0", "K1"}, {"LAD_OUT", "M20"},      {"LD", "M20"},
                     {"LAD_MULTIPLY", "D0", "K10", "D1"},            {"END"}};
  image_->X[4] = 1;
  Run(scan);
  Run(scan);
  EXPECT_EQ(image_->D[0], 1);
  EXPECT_EQ(image_->M[20], 1);
  EXPECT_EQ(image_->D[1], 10);

  // Messages reach the client.
  Run({{"PUSH", "1"}, {"LAD_OUT", "M0", "K5"}});
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], text::kMsgLadOut);
  EXPECT_EQ(pop_(), 1);  // empty stack: the last pushed value

  // Null operand texts count as empty texts.
  set_.push(1);
  set_.binary["LAD_OUT"]("Y5", nullptr);
  EXPECT_EQ(image_->Y[5], 1);
  set_.unary["LD"](nullptr);
  EXPECT_EQ(pop_(), QSMA_BAD_OPERAND);
}

// Without a mapped view every instruction does nothing and returns 0.
TEST_F(ExportedRungTest, InstructionsFailCleanlyWithoutTheImage) {
  Symbol<void (*)()>("smDelateSharedMemory")();
  MH_SHARED_STRUCTURE* image = nullptr;
  Symbol<decltype(&smGetMemoryPointer)>("smGetMemoryPointer")(&image);
  ASSERT_EQ(image, nullptr);
  EXPECT_EQ(Symbol<int32_t (*)(const char*)>("LDP")("X0"), 0);
  EXPECT_EQ(Symbol<int32_t (*)(int32_t)>("CheckPulse")(1), 0);
  EXPECT_EQ(pop_(), 0);
  Run({{"PUSH", "1"}, {"LD", "X0"}, {"MPS"}, {"LAD_OUT", "Y0"}, {"END"}, {"BSFLP", "M0", "K4"},
       {"LADALL_DIVIDE", "D0", "D1", "D2"}, {"OR_GTE", "D0", "D1"}});
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace quorsma

#endif  // !_WIN32
