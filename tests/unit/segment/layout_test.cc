// The image layout as clients built separately see it.
#include <gtest/gtest.h>

#include "core/areas.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::ImageTest;

using LayoutTest = ImageTest;

TEST_F(LayoutTest, FreshImageReadsZeroEverywhereItIsProbed) {
  Image* img = image.get();
  EXPECT_EQ(img->D[0], 0);
  EXPECT_EQ(img->D[131070], 0);
  EXPECT_EQ(img->LogEnable, 0);
  EXPECT_EQ(img->LogLinePending, 0);
  EXPECT_EQ(img->CommentM[5][0], 0);
  EXPECT_EQ(img->MemParaPath[0], 0);
  EXPECT_EQ(img->BranchCol, 0);
}

TEST_F(LayoutTest, AddressesFollowTheInterchangeFormat) {
  auto* base = reinterpret_cast<unsigned char*>(image.get());
  auto at = [&](const void* p) { return static_cast<std::size_t>(static_cast<const unsigned char*>(p) - base); };
  // Comment of unit 3, word 10.
  EXPECT_EQ(at(image->CommentU[3][10]), 0x1263F6C0u + 3u * 128000u + 10u * 256u);
  // The cell after the last data register is element 0 of WrDChk.
  EXPECT_EQ(at(&image->D[131070]) + 4, at(&image->WrDChk[0]));
  // Comment entry n of a block lies at block offset + n * 256.
  EXPECT_EQ(at(image->CommentD[100]), 0x0263FEC0u + 100u * 256u);
  // The last byte of BranchCol is the last byte of the section.
  EXPECT_EQ(at(&image->BranchCol) + 3, 568139631u);
  EXPECT_EQ(sizeof(Image), 568139632u);
}

TEST(FieldTextTest, StopsAtTheFieldEndWhenUnterminated) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(FieldText(field), "abcd");
  char shorter[4] = {'a', '\0', 'x', 'y'};
  EXPECT_EQ(FieldText(shorter), "a");
}

TEST(InAreaTest, RejectsNegativeAndPastTheEnd) {
  EXPECT_TRUE(InArea(0, kSmallArea));
  EXPECT_TRUE(InArea(kSmallArea - 1, kSmallArea));
  EXPECT_FALSE(InArea(kSmallArea, kSmallArea));
  EXPECT_FALSE(InArea(-1, kLargeArea));
  EXPECT_FALSE(InArea(kBadOperand, kLargeArea));
}

}  // namespace
}  // namespace quorsma
