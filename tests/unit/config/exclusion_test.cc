// The memory exclusion settings: _MEM_SMEF.ini sets exclusion flags.
#include "config/exclusion.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/messages.h"
#include "support/test_image.h"

namespace quorsma::testing {
namespace {

// Every flag set in the image, as "M100", "X31" (decimal numbers).
std::set<std::string> SetFlags(const Image& image) {
  std::set<std::string> out;
  auto scan = [&](const char* name, const int32_t* flags, int count) {
    for (int i = 0; i < count; ++i)
      if (flags[i]) out.insert(name + std::to_string(i));
  };
  scan("M", image.NoLogM, 131071);
  scan("B", image.NoLogB, 131071);
  scan("D", image.NoLogD, 131071);
  scan("S", image.NoLogS, 131071);
  scan("L", image.NoLogL, 131071);
  scan("R", image.NoLogR, 65535);
  scan("W", image.NoLogW, 131071);
  scan("X", image.NoLogX, 65535);
  scan("Y", image.NoLogY, 65535);
  return out;
}

std::set<std::string> Apply(const std::string& text) {
  TestImage image;
  config::ApplyMemorySettings(*image.get(), text.data(), text.size());
  return SetFlags(*image.get());
}

TEST(ExclusionTest, FileContents) {
  using Flags = std::set<std::string>;
  struct Case {
    const char* name;
    std::string text;
    Flags expected;
  } cases[] = {
      {"example file", "M100=1\r\nD500=1\r\nX1F=1\r\nL20 = anything\r\nM2000=\"comment\"\r\n",
       {"M100", "D500", "X31", "L20", "M2000"}},
      {"value not read", "M5=0\r\n", {"M5"}},
      {"letters without flags", "B10=1\nT3=1\nW1F=1\n", {}},
      {"every flagged letter", "S7=\nR65534=\nY7FF=\nYffff=\n", {"S7", "R65534", "Y2047"}},
      {"empty file", "", {}},
      {"last line without line end", "M1=1\nD2=1", {"M1", "D2"}},
      {"no equals sign", "M1\n[SECTION]\n", {}},
      {"equals sign first", "=M1\n", {}},
      {"unreadable number is 0", "Mabc=1\n", {"M0"}},
      {"blanks before the equals sign", "D12   =1\n", {"D12"}},
      {"hexadecimal X and Y", "X0x10=1\nY1A=1\n", {"X16", "Y26"}},
      {"decimal others", "D1A=1\n", {"D1"}},
      {"quote ends a line", "M7=\"x\nD8=1\"M9=1\n", {"M7", "D8", "M9"}},
      {"NUL ends a line", std::string("M3=1\0D4=1", 9), {"M3", "D4"}},
      {"CR alone ends a line", "M3=1\rD4=1\r", {"M3", "D4"}},
      {"lower-case letter", "m5=1\n", {}},
      // Choices of this implementation:
      {"blanks before the key skipped", "  M6=1\n\tD7=1\n", {"M6", "D7"}},
      {"SM keys set nothing", "SM400=1\nSM=1\n", {}},
      {"outside the areas", "M131071=1\nD-1=1\nX10000=1\nS65535=1\nR65535=1\nM99999999999999=1\n", {}},
      {"last elements", "M131070=1\nXFFFE=1\nS65534=1\n", {"M131070", "X65534", "S65534"}},
      {"long line read as its first 255 characters",
       "M11=" + std::string(400, 'x') + "\n" + std::string(254, ' ') + "M12=1\n" + std::string(255, ' ') +
           "M13=1\nM14=1",
       {"M11", "M14"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Apply(c.text), c.expected);
  }
}

class ExclusionFileTest : public ImageTest {};

TEST_F(ExclusionFileTest, ReadsTheFile) {
  TempDir dir;
  WriteBytes(dir.File("_MEM_SMEF.ini"), "D500=1\r\n");
  EXPECT_TRUE(config::ReadMemorySettings(context, dir.File("_MEM_SMEF.ini")));
  EXPECT_EQ(image->NoLogD[500], 1);
  EXPECT_TRUE(env.traces.empty());
}

TEST_F(ExclusionFileTest, MissingFileTraces) {
  TempDir dir;
  std::string path = dir.File("_MEM_SMEF.ini");
  EXPECT_FALSE(config::ReadMemorySettings(context, path));
  ASSERT_EQ(env.traces.size(), 1u);
  EXPECT_EQ(env.traces[0], path + " \xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.\r\n");
  EXPECT_TRUE(SetFlags(*image.get()).empty());
}

TEST_F(ExclusionFileTest, EmptyFileCountsAsRead) {
  TempDir dir;
  WriteBytes(dir.File("_MEM_SMEF.ini"), "");
  EXPECT_TRUE(config::ReadMemorySettings(context, dir.File("_MEM_SMEF.ini")));
}

}  // namespace
}  // namespace quorsma::testing
