// Private-profile cases as plain data: the file content before, the call, and
// what the call gives.  The Linux implementation runs them on file contents;
// the same table can run against the Windows functions on real files.
//
// Only cases on which the documented behaviour and the Windows functions
// under wine agree belong here; see profile_test.cc for the others.
//
// A null `content` means the file does not exist.  Contents use CR LF line
// ends wherever the expected file is compared byte for byte, since that is
// the form every writer produces.
#pragma once

#include <cstddef>

namespace quorsma::testing {

struct ProfileReadCase {
  const char* name;
  const char* content;  // null: no file
  const char* section;
  const char* key;
  const char* fallback;
  std::size_t size;      // size of the output buffer
  const char* expected;  // text copied
  std::size_t result;    // characters reported
};

inline constexpr ProfileReadCase kProfileReadCases[] = {
    {"plain value", "[S]\r\nkey=value\r\n", "S", "key", "", 64, "value", 5},
    {"section name case-insensitive", "[Module_DV]\r\nD000000=1,\r\n", "MODULE_DV", "D000000", "", 64, "1,", 2},
    {"key name case-insensitive", "[S]\r\nEqp_Name=LINE1\r\n", "S", "EQP_NAME", "", 64, "LINE1", 5},
    {"value keeps its case", "[S]\r\nk=MiXeD\r\n", "s", "K", "", 64, "MiXeD", 5},
    {"blanks around arguments ignored", "[S]\r\nkey=v\r\n", "  S ", " key\t", "", 64, "v", 1},
    {"blanks in the file around names", "  [ S ]\r\n  key  =v\r\n", "S", "key", "", 64, "v", 1},
    {"value blanks trimmed", "[S]\r\nk=  a b \t\r\n", "S", "k", "", 64, "a b", 3},
    {"double quotes removed", "[S]\r\nk=\" a \"\r\n", "S", "k", "", 64, " a ", 3},
    {"single quotes removed", "[S]\r\nk='x'\r\n", "S", "k", "", 64, "x", 1},
    {"one pair only", "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "", 64, "\"x\"", 3},
    {"unmatched quote kept", "[S]\r\nk=\"x\r\n", "S", "k", "", 64, "\"x", 2},
    {"mixed quotes kept", "[S]\r\nk='x\"\r\n", "S", "k", "", 64, "'x\"", 3},
    {"semicolon in value kept", "[S]\r\nk=a;b\r\n", "S", "k", "", 64, "a;b", 3},
    {"comment line is no key", "[S]\r\n;k=1\r\nk=2\r\n", "S", "k", "", 64, "2", 1},
    {"first duplicate key wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "", 64, "1", 1},
    {"first section wins", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k", "d", 64, "d", 1},
    {"key of another section", "[A]\r\nk=1\r\n[B]\r\nx=2\r\n", "B", "k", "", 64, "", 0},
    {"key in the later section", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n", "B", "k", "", 64, "2", 1},
    {"missing file gives default", nullptr, "S", "k", "dflt", 64, "dflt", 4},
    {"missing section gives default", "[A]\r\nk=1\r\n", "S", "k", "dflt", 64, "dflt", 4},
    {"missing key gives default", "[S]\r\nx=1\r\n", "S", "k", "dflt", 64, "dflt", 4},
    {"default trailing blanks dropped", "[S]\r\n", "S", "k", "d  ", 64, "d", 1},
    {"empty value", "[S]\r\nk=\r\n", "S", "k", "dflt", 64, "", 0},
    {"value cut to size - 1", "[S]\r\nk=abcdef\r\n", "S", "k", "", 4, "abc", 3},
    {"value exactly fits", "[S]\r\nk=abc\r\n", "S", "k", "", 4, "abc", 3},
    {"default cut to size - 1", "[S]\r\n", "S", "k", "abcdef", 3, "ab", 2},
    {"LF line ends", "[S]\nk=1\nj=2\n", "S", "j", "", 64, "2", 1},
    {"CR line ends", "[S]\rk=1\rj=2\r", "S", "j", "", 64, "2", 1},
    {"last line without line end", "[S]\r\nk=last", "S", "k", "", 64, "last", 4},
    {"8-bit bytes unchanged", "[S]\r\nk=\xC5\xEB\xBD\xC5\r\n", "S", "k", "", 64, "\xC5\xEB\xBD\xC5", 4},
    {"equals sign in value", "[S]\r\nk=a=b\r\n", "S", "k", "", 64, "a=b", 3},
};

struct ProfileWriteCase {
  const char* name;
  const char* before;  // null: no file
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

inline constexpr ProfileWriteCase kProfileWriteCases[] = {
    {"new file", nullptr, "MODULE_DV", "D000000", "1,2,", "[MODULE_DV]\r\nD000000=1,2,\r\n"},
    {"key replaced in place", "[S]\r\na=1\r\nk=old\r\nb=2\r\n", "S", "k", "new",
     "[S]\r\na=1\r\nk=new\r\nb=2\r\n"},
    {"key keeps its spelling", "[S]\r\nKey=old\r\n", "S", "KEY", "new", "[S]\r\nKey=new\r\n"},
    {"new key at the end of its section", "[S]\r\na=1\r\n[T]\r\nb=2\r\n", "S", "k", "v",
     "[S]\r\na=1\r\nk=v\r\n[T]\r\nb=2\r\n"},
    {"new key after a section header alone", "[S]\r\n[T]\r\nb=2\r\n", "S", "k", "v",
     "[S]\r\nk=v\r\n[T]\r\nb=2\r\n"},
    {"new section at the end", "[A]\r\na=1\r\n", "S", "k", "v", "[A]\r\na=1\r\n[S]\r\nk=v\r\n"},
    {"other sections and comments kept", "; top\r\n[A]\r\n;c\r\na=1\r\n[S]\r\nk=1\r\n[B]\r\nb=2\r\n", "S",
     "k", "2", "; top\r\n[A]\r\n;c\r\na=1\r\n[S]\r\nk=2\r\n[B]\r\nb=2\r\n"},
    {"first duplicate replaced", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "3", "[S]\r\nk=3\r\nk=2\r\n"},
    {"section found case-insensitively", "[s]\r\nk=1\r\n", "S", "k", "2", "[s]\r\nk=2\r\n"},
    {"blanks around arguments dropped", "[S]\r\nk=1\r\n", " S ", " k ", "2", "[S]\r\nk=2\r\n"},
    {"value written as given", "[S]\r\n", "S", "k", "a \"b\" ", "[S]\r\nk=a \"b\" \r\n"},
    {"empty value", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
};

}  // namespace quorsma::testing
