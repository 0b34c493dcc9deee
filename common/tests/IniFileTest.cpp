#include "common/IniFile.h"

#include <gtest/gtest.h>

#include "common/IntegerText.h"
#include "tests/support/TestSupport.h"

namespace qm {
namespace {

TEST(IniFile, FindsKeysOfTheirSectionWithoutRegardToCase) {
  const IniFile ini = IniFile::Parse(
      "\xEF\xBB\xBF; settings\r\n"
      "proxy_host=outside\r\n"
      "[Other]\n"
      "proxy_host=other\n"
      "[ param ]\r"
      "  Proxy_Host =  10.0.0.1  \r\n"
      "proxy_host=second\r\n"
      "proxy_login=\"  quoted \"\r\n"
      "proxy_pass=\r\n"
      "not a key line\r\n"
      "adresse_serveur_qm=http://h/a=b");
  EXPECT_EQ(ini.ReadString("Param", "proxy_host", "d"), "10.0.0.1");
  EXPECT_EQ(ini.ReadString("PARAM", "PROXY_LOGIN", "d"), "  quoted ");
  EXPECT_EQ(ini.ReadString("Param", "proxy_pass", "d"), "");
  EXPECT_EQ(ini.ReadString("Param", "adresse_serveur_qm", ""), "http://h/a=b");
  EXPECT_EQ(ini.ReadString("Param", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("Nope", "proxy_host", "d"), "d");
}

TEST(IniFile, IntegersFallBackWhenTheValueIsNotOne) {
  const IniFile ini = IniFile::Parse("[Param]\na=1\nb=0\nc=yes\nd=0x10\ne=\nf= -3\n");
  EXPECT_EQ(ini.ReadInteger("Param", "a", 0), 1);
  EXPECT_EQ(ini.ReadInteger("Param", "b", 7), 0);
  EXPECT_EQ(ini.ReadInteger("Param", "c", 0), 0);
  EXPECT_EQ(ini.ReadInteger("Param", "d", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Param", "e", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Param", "f", 0), -3);
  EXPECT_EQ(ini.ReadInteger("Param", "g", 9), 9);
}

TEST(IniFile, MissingFileIsEmptyAndHugeFileIsReadUpToItsBound) {
  test::TempDir dir;
  EXPECT_EQ(IniFile::Load(dir / "none.ini").ReadString("Param", "k", "d"), "d");
  std::string big = "[Param]\nk=v\n";
  big.append(IniFile::kMaxFileBytes, ';');
  big += "\nlate=x\n";
  test::WriteFile(dir / "big.ini", big);
  const IniFile ini = IniFile::Load(dir / "big.ini");
  EXPECT_EQ(ini.ReadString("Param", "k", "d"), "v");
  EXPECT_EQ(ini.ReadString("Param", "late", "d"), "d");
}

TEST(ParseInt32, AcceptsDecimalAndHexWithinRangeOnly) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},
      {"12", 12},
      {"  7", 7},
      {"+5", 5},
      {"-5", -5},
      {"$ff", 255},
      {"0X1A", 26},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"12 ", std::nullopt},
      {"1.5", std::nullopt},
      {"-", std::nullopt},
      {"0x", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInt32(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace qm
