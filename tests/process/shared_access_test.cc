// The group and mode of what a process creates: the section and its library
// data, as QUORSMA_GROUP and QUORSMA_MODE ask, and the messages of settings
// that cannot be used.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "child_process.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

TEST(SharedAccessTest, SectionAndLibraryDataTakeTheGroupAndModeAskedFor) {
  // A group this process may give files to: its own.
  const struct group* own = getgrgid(getegid());
  ASSERT_NE(own, nullptr);
  const std::string group = own->gr_name;
  struct Case {
    const char* name;
    std::map<std::string, std::string> env;
    unsigned mode;
    std::string message;  // part of what standard error says ("": no word of the settings)
  } cases[] = {
      {"no group: the owner's alone", {{"QUORSMA_GROUP", ""}}, 0600, ""},
      {"a group: members read and write", {{"QUORSMA_GROUP", group}}, 0660, ""},
      {"a group, read-only for it", {{"QUORSMA_GROUP", group}, {"QUORSMA_MODE", "0640"}}, 0640, ""},
      {"a mode beyond 0666", {{"QUORSMA_GROUP", group}, {"QUORSMA_MODE", "0777"}}, 0660,
       "QUORSMA_MODE=0777 is no permission from 0600 to 0666 in octal: 0660 is used"},
      {"a mode without the owner", {{"QUORSMA_GROUP", ""}, {"QUORSMA_MODE", "066"}}, 0600, "QUORSMA_MODE=066"},
      {"a group the system lacks", {{"QUORSMA_GROUP", "qsma-no-such-group"}}, 0600,
       "QUORSMA_GROUP=qsma-no-such-group names no group of this system"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string section = UniqueSectionName("access");
    c.env["QUORSMA_SECTION"] = section;
    ChildProcess holder(kChild, {"set-comm", "1", "hold"}, c.env);
    ASSERT_EQ(holder.ReadLine(), "ready\n");
    for (const std::string& object : {section, section + ".SHARDATA"}) {
      struct stat st {};
      ASSERT_EQ(stat(("/dev/shm/" + object).c_str(), &st), 0) << object;
      EXPECT_EQ(st.st_mode & 0777, c.mode) << object;
      if (c.mode & 0060) {
        EXPECT_EQ(st.st_gid, own->gr_gid) << object;
      }
    }
    holder.CloseInput();
    ChildResult result = holder.Wait();
    EXPECT_EQ(result.exit_code, 0);
    if (c.message.empty()) {
      EXPECT_EQ(result.err.find("QUORSMA_"), std::string::npos) << result.err;
    } else {
      EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
  }
}

}  // namespace
}  // namespace quorsma::testing
