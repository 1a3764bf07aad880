// The configuration reader: _Configuration/_Configuration.ini beside the
// host executable into the configuration texts of the image.
#include "config/configuration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/areas.h"
#include "platform/env.h"
#include "support/test_image.h"

namespace quorsma::testing {
namespace {

constexpr char kSep = platform::kPathSeparator;

// The eight texts in the order of their keys.
std::array<std::string, 8> Fields(const Image& image) {
  return {FieldText(image.EqpName),     FieldText(image.ProgramVer), FieldText(image.RecipeCurName),
          FieldText(image.RecipeCurNumber), FieldText(image.MemParaPath), FieldText(image.MemPlcPath),
          FieldText(image.SettingDir),  FieldText(image.LogDir)};
}

// Remembers the eight texts as they stood when each message box appeared.
class SnapshotEnv : public TestEnv {
 public:
  Image* image = nullptr;
  std::vector<std::array<std::string, 8>> at_message;
  void ShowMessage(const char* text) override {
    TestEnv::ShowMessage(text);
    at_message.push_back(Fields(*image));
  }
};

class ConfigurationTest : public ::testing::Test {
 protected:
  ConfigurationTest() {
    env.image = image.get();
    context.image = image.get();
    context.env = &env;
  }

  // Places the host program in `dir` with the configuration `content`.
  std::string Install(const std::string& directory, const std::string& content) {
    env.executable_path = directory + kSep + "host";
    std::string module_dir = directory + kSep;
    WriteBytes(config::ConfigurationPath(module_dir), content);
    return module_dir;
  }

  void Prefill(const char* text) {
    for (auto field : {&Image::EqpName, &Image::ProgramVer, &Image::RecipeCurName, &Image::RecipeCurNumber,
                       &Image::MemParaPath, &Image::MemPlcPath, &Image::SettingDir, &Image::LogDir})
      std::snprintf(image.get()->*field, 1024, "%s", text);
  }

  TestImage image;
  SnapshotEnv env;
  Context context;
  TempDir dir;
};

const std::string kAllKeys =
    "[LAST_LIST_SETTING]\r\n"
    "EQP_NAME=LINE-7\r\n"
    "PROGRAM_VER=2.4.1\r\n"
    "RECIPE_CUR_NAME=\xB0\xA1\xB3\xAA\r\n"
    "RECIPE_CUR_NUMBER=0042\r\n"
    "MEM_PARA_PATH=/data/para\r\n"
    "MEM_PLC_PATH=/data/plc\r\n"
    "QuorUSC__DIRECTORY_SETTING=/data/setting\r\n"
    "QuorUSC__DIRECTORY_LOG=/data/log\r\n";

TEST_F(ConfigurationTest, AllKeysFillTheTextsWithoutMessages) {
  std::string module_dir = Install(dir.File("app"), kAllKeys);
  config::ReadConfiguration(context);
  EXPECT_TRUE(env.messages.empty());
  EXPECT_EQ(FieldText(image->ModuleDir), module_dir);
  std::array<std::string, 8> expected = {"LINE-7",    "2.4.1",     "\xB0\xA1\xB3\xAA", "0042",
                                         "/data/para", "/data/plc", "/data/setting",   "/data/log"};
  EXPECT_EQ(Fields(*image.get()), expected);
}

TEST_F(ConfigurationTest, MissingOrEmptyKeysShowTheirMessage) {
  struct Case {
    const char* name;
    std::string from;  // text removed from the full file
    std::string to;
    const char* message;
    int field;
  } cases[] = {
      {"missing RECIPE_CUR_NUMBER", "RECIPE_CUR_NUMBER=0042\r\n", "", "RECIPE_CUR_NUMBER is NULL!!", 3},
      {"empty EQP_NAME", "EQP_NAME=LINE-7", "EQP_NAME=", "EQP_NAME is NULL!!", 0},
      {"blank MEM_PLC_PATH", "MEM_PLC_PATH=/data/plc", "MEM_PLC_PATH=   ", "MEM_PLC_PATH is NULL!!", 5},
      {"missing log directory", "QuorUSC__DIRECTORY_LOG=/data/log\r\n", "", "QuorUSC__DIRECTORY_LOG is NULL!!", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prefill("old");
    env.Clear();
    std::string content = kAllKeys;
    content.replace(content.find(c.from), c.from.size(), c.to);
    Install(dir.File(c.name), content);
    config::ReadConfiguration(context);
    EXPECT_EQ(env.messages, std::vector<std::string>{c.message});
    EXPECT_EQ(Fields(*image.get())[c.field], "");
  }
}

TEST_F(ConfigurationTest, MissingFileShowsEightMessagesAndEmptiesEveryText) {
  Prefill("old");
  env.executable_path = dir.File("nowhere") + kSep + "host";
  config::ReadConfiguration(context);
  std::vector<std::string> expected = {
      "EQP_NAME is NULL!!",          "PROGRAM_VER is NULL!!",
      "RECIPE_CUR_NAME is NULL!!",   "RECIPE_CUR_NUMBER is NULL!!",
      "MEM_PARA_PATH is NULL!!",     "MEM_PLC_PATH is NULL!!",
      "QuorUSC__DIRECTORY_SETTING is NULL!!", "QuorUSC__DIRECTORY_LOG is NULL!!"};
  EXPECT_EQ(env.messages, expected);
  EXPECT_EQ(Fields(*image.get()), (std::array<std::string, 8>{}));
  // Keys 1-4 are copied before their box, keys 5-8 after it.
  ASSERT_EQ(env.at_message.size(), 8u);
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(env.at_message[k][k], k < 4 ? "" : "old");
  }
}

// A long text is cut to 254 characters; a long directory is not used at all
// (cut, it would name another directory), with a message.
TEST_F(ConfigurationTest, LongValuesAreCutLongDirectoriesRefused) {
  std::string value(300, 'v');
  Prefill("old");
  Install(dir.File("app"), "[LAST_LIST_SETTING]\r\nEQP_NAME=" + value + "\r\nMEM_PARA_PATH=" + value +
                               "\r\nMEM_PLC_PATH=" + value.substr(0, 254) + "\r\n");
  config::ReadConfiguration(context);
  EXPECT_EQ(FieldText(image->EqpName), value.substr(0, 254));
  EXPECT_EQ(FieldText(image->MemParaPath), "");
  EXPECT_EQ(FieldText(image->MemPlcPath), value.substr(0, 254));
  EXPECT_NE(std::find(env.messages.begin(), env.messages.end(),
                      "MEM_PARA_PATH is longer than 254 characters: that directory is not used"),
            env.messages.end());
  EXPECT_EQ(std::find(env.messages.begin(), env.messages.end(), "MEM_PARA_PATH is NULL!!"), env.messages.end());
}

TEST_F(ConfigurationTest, ConfigVariableNamesAnotherFile) {
  Install(dir.File("app"), "[LAST_LIST_SETTING]\r\nEQP_NAME=BESIDE\r\n");
  const std::string other = dir.File("elsewhere.ini");
  WriteBytes(other, "[LAST_LIST_SETTING]\r\nEQP_NAME=OTHER\r\n");
  env.environment["QUORSMA_CONFIG"] = other;
  config::ReadConfiguration(context);
  EXPECT_EQ(FieldText(image->EqpName), "OTHER");
  EXPECT_EQ(FieldText(image->ModuleDir), dir.File("app") + kSep);
}

// The first found of QUORSMA_CONFIG, the file beside the executable and (on
// Linux) the system's configuration; the one beside when none exists.
TEST_F(ConfigurationTest, SearchOrderOfTheConfigurationFile) {
  const std::string module_dir = dir.File("app") + kSep;
  const std::string beside = config::ConfigurationPath(module_dir);
  const std::string variable = dir.File("variable.ini");
  const std::string system = dir.File("system.ini");
  const bool on_linux = kSep == '/';
  struct Case {
    const char* name;
    bool variable_set, beside_exists, system_exists;
    std::string chosen;
  } cases[] = {
      {"variable, even naming no file", true, true, true, variable},
      {"beside the executable before the system's", false, true, true, beside},
      {"the system's when none is beside", false, false, true, on_linux ? system : beside},
      {"none at all: beside, where the messages say it was looked for", false, false, false, beside},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir.File("app"));
    std::filesystem::remove(system);
    if (c.variable_set) env.environment["QUORSMA_CONFIG"] = variable; else env.environment.erase("QUORSMA_CONFIG");
    if (c.beside_exists) WriteBytes(beside, "[LAST_LIST_SETTING]\r\n");
    if (c.system_exists) WriteBytes(system, "[LAST_LIST_SETTING]\r\n");
    EXPECT_EQ(config::ChooseConfigurationFile(env, module_dir, system.c_str()), c.chosen);
  }
}

TEST_F(ConfigurationTest, SecondProgramReplacesTheTexts) {
  Install(dir.File("first"), kAllKeys);
  config::ReadConfiguration(context);
  std::string second = Install(dir.File("second"), "[LAST_LIST_SETTING]\r\nEQP_NAME=OTHER\r\n");
  config::ReadConfiguration(context);
  EXPECT_EQ(FieldText(image->ModuleDir), second);
  EXPECT_EQ(FieldText(image->EqpName), "OTHER");
  EXPECT_EQ(FieldText(image->MemParaPath), "");
}

// Directories longer than any fixed path buffer: the file is still found;
// a directory too long for ModuleDir leaves it empty rather than cut.
TEST_F(ConfigurationTest, LongExecutableDirectories) {
  for (int depth : {1, 5, 12}) {
    SCOPED_TRACE(depth);
    std::string long_dir = dir.File("d");
    for (int k = 0; k < depth; ++k) long_dir += kSep + std::string(200, static_cast<char>('a' + k));
    std::string module_dir = Install(long_dir, kAllKeys);
    std::snprintf(image->ModuleDir, sizeof image->ModuleDir, "old");
    config::ReadConfiguration(context);
    // The Windows functions themselves stop at 260-character paths.
    if (kSep == '/' || config::ConfigurationPath(module_dir).size() < 260) {
      EXPECT_EQ(FieldText(image->EqpName), "LINE-7");
    }
    EXPECT_EQ(FieldText(image->ModuleDir), module_dir.size() < 1024 ? module_dir : "");
  }
}

TEST(ModuleDirectoryTest, DirectoryOfTheExecutable) {
  std::string s(1, kSep);
  EXPECT_EQ(config::ModuleDirectory(s + "app" + s + "bin" + s + "host"), s + "app" + s + "bin" + s);
  EXPECT_EQ(config::ModuleDirectory(s + "host"), s);
  EXPECT_EQ(config::ModuleDirectory("host"), "");
  EXPECT_EQ(config::ModuleDirectory(""), "");
  EXPECT_EQ(config::ConfigurationPath(s + "app" + s),
            kSep == '\\' ? "\\app\\\\_Configuration\\_Configuration.ini" : "/app/_Configuration/_Configuration.ini");
}

}  // namespace
}  // namespace quorsma::testing
