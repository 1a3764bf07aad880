// The fixture of the tests that run quorsma mqtt as a program against a
// broker of the test's own.  The test program holds the same section as the
// tool (QUORSMA_SECTION is inherited) and produces the value changes itself.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "broker.h"
#include "child_process.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::mqtt {

using namespace std::chrono_literals;
using quorsma::testing::ChildProcess;
using quorsma::testing::RunChild;
using testing::Broker;
using testing::Message;
using testing::Subscriber;

inline const std::map<std::string, std::string> kEnv = {{"LANG", "C.UTF-8"}};

class MqttCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smGetMemoryPointer(&image);
    ASSERT_NE(image, nullptr);
    std::memset(image->W, 0, sizeof image->W);
    std::memset(image->LogPrevW, 0, sizeof image->LogPrevW);
    std::memset(image->CommentW[0x20], 0, sizeof image->CommentW[0x20]);
    image->LogEnable = 0;
    image->LogLinePending = 0;
  }

  std::unique_ptr<ChildProcess> StartTool(const Broker& broker, std::vector<std::string> args) {
    std::vector<std::string> all = {"mqtt", "--broker", "127.0.0.1:" + std::to_string(broker.port()),
                                    "--topic-prefix", kPrefix, "--enable"};
    all.insert(all.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>(QSMA_TEST_TOOL, all, kEnv);
  }

  // Writes W20 = first, first + 1, ... each once the previous line was taken.
  void Produce(int first, int count) {
    for (int v = first; v < first + count; ++v) {
      for (int i = 0; i < 5000 && std::atomic_ref<int32_t>(image->LogLinePending).load() != 0; ++i)
        std::this_thread::sleep_for(1ms);
      ASSERT_EQ(image->LogLinePending, 0) << "the collector stopped taking lines";
      SetSma("W20", v);
    }
  }

  static bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  static auto Count(const std::string& topic, std::size_t n) {
    return [topic, n](const std::vector<Message>& all) {
      std::size_t found = 0;
      for (const Message& m : all) found += m.topic == topic;
      return found >= n;
    };
  }

  static std::vector<Message> Only(const std::vector<Message>& all, const std::string& topic) {
    std::vector<Message> kept;
    for (const Message& m : all)
      if (m.topic == topic) kept.push_back(m);
    return kept;
  }

  // The new values of the change messages, in arrival order.
  static std::vector<int> NewValues(const std::vector<Message>& changes) {
    std::vector<int> values;
    for (const Message& m : changes) values.push_back(nlohmann::json::parse(m.payload)["new"].get<int>());
    return values;
  }

  static std::vector<int> Sequence(int first, int count) {
    std::vector<int> v;
    for (int i = first; i < first + count; ++i) v.push_back(i);
    return v;
  }

  static constexpr const char* kPrefix = "test/plant";
  const std::string changes = std::string(kPrefix) + "/changes";
  const std::string status = std::string(kPrefix) + "/status";
  const std::string errors = std::string(kPrefix) + "/errors";
  MH_SHARED_STRUCTURE* image = nullptr;
};

}  // namespace quorsma::tool::mqtt
