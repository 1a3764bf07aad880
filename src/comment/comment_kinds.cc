#include "comment/comment_kinds.h"

#include "comment/comment_file_format.h"

namespace quorsma::comment {

const FileKind kFileKinds[kFileKindCount] = {
    {kCodeM, "M", &Image::CommentM},  {kCodeSM, "SM", &Image::CommentSM}, {kCodeL, "L", &Image::CommentL},
    {kCodeX, "X", &Image::CommentX},  {kCodeY, "Y", &Image::CommentY},    {kCodeB, "B", &Image::CommentB},
    {kCodeD, "D", &Image::CommentD},  {kCodeR, "R", &Image::CommentR},    {kCodeW, "W", &Image::CommentW},
    {kCodeT, "T", &Image::CommentT},
};

const FileKind* FindFileKind(uint16_t code) {
  for (const FileKind& kind : kFileKinds)
    if (kind.code == code) return &kind;
  return nullptr;
}

bool ListsInHex(const char* name) {
  char c = name[0];
  return c == 'X' || c == 'Y' || c == 'W' || c == 'B';
}

char* UnitRunEntry(Image& image, int64_t run) {
  if (run < 0 || run >= kUnitRunLength) return nullptr;
  if (run < kUnitRunEntries) return image.CommentU[run / kUnitEntries][run % kUnitEntries];
  return image.CommentTMP[run - kUnitRunEntries];
}

CommentArea FindKindArea(std::string_view kind) {
  struct Named {
    std::string_view kind;
    CommentArea area;
  };
  static constexpr Named kAreas[] = {
      {"M", &Image::CommentM},   {"D", &Image::CommentD},   {"B", &Image::CommentB}, {"T", &Image::CommentT},
      {"X", &Image::CommentX},   {"Y", &Image::CommentY},   {"AD", &Image::CommentAD},
      {"DA", &Image::CommentDA}, {"SM", &Image::CommentSM}, {"S", &Image::CommentS}, {"L", &Image::CommentL},
      {"R", &Image::CommentR},   {"W", &Image::CommentW},
  };
  for (const Named& named : kAreas)
    if (named.kind == kind) return named.area;
  return nullptr;
}

}  // namespace quorsma::comment
