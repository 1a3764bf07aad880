// Where each device kind lies in the image: the one table the servers read
// cells and comments through, checked against the image's own fields.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "quorsma/client.h"

namespace {

MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

struct AreaCase {
  const char* kind;
  const void* cells;
  const void* comments;  // null: the kind has none
};

TEST(DeviceAreaTest, EveryKindNamesItsOwnFields) {
  const MH_SHARED_STRUCTURE* image = Image();
  ASSERT_NE(image, nullptr);
  const AreaCase cases[] = {
      {"X", image->X, image->CommentX},   {"Y", image->Y, image->CommentY},    {"M", image->M, image->CommentM},
      {"L", image->L, image->CommentL},   {"B", image->B, image->CommentB},    {"S", image->S, image->CommentS},
      {"SM", image->SM, image->CommentSM}, {"D", image->D, image->CommentD},   {"W", image->W, image->CommentW},
      {"R", image->R, image->CommentR},   {"Z", image->Z, nullptr},            {"T", image->Tcur, image->CommentT},
  };
  ASSERT_EQ(static_cast<int32_t>(std::size(cases)), qsc_device_kind_count());
  for (const AreaCase& c : cases) {
    const qsc_device_kind* kind = qsc_device_kind_find(c.kind, std::strlen(c.kind));
    ASSERT_NE(kind, nullptr) << c.kind;
    EXPECT_EQ(static_cast<const void*>(qsc_device_cells(image, kind)), c.cells) << c.kind;
    EXPECT_EQ(static_cast<const void*>(qsc_device_comments(image, kind)), c.comments) << c.kind;
    EXPECT_EQ(kind->has_comment != 0, c.comments != nullptr) << c.kind;
  }
}

TEST(DeviceAreaTest, NothingForANullImageOrAForeignKind) {
  const qsc_device_kind* d = qsc_device_kind_find("D", 1);
  EXPECT_EQ(qsc_device_cells(nullptr, d), nullptr);
  EXPECT_EQ(qsc_device_comments(nullptr, d), nullptr);
  const MH_SHARED_STRUCTURE* image = Image();
  ASSERT_NE(image, nullptr);
  const qsc_device_kind copy = *d;  // not one of the library's kinds
  EXPECT_EQ(qsc_device_cells(image, &copy), nullptr);
  EXPECT_EQ(qsc_device_cells(image, nullptr), nullptr);
}

}  // namespace
