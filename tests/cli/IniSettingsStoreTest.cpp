#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/AppSettings.h"
#include "base/IniSettingsStore.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

std::string fileText(const std::string& path) {
  auto bytes = testing::fileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void putText(const std::string& path, const std::string& text) {
  testing::putFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// The escapes as QSettings writes them (checked against Qt 6's own output).
TEST(IniSettingsStore, TextsAreEscapedAsQtDoes) {
  struct Case {
    std::string text;
    std::string raw;
  };
  const Case cases[] = {
      {"/home/x/Data/", "/home/x/Data/"},
      {"", ""},
      {"a,b;c=d", "\"a,b;c=d\""},
      {" lead ", "\" lead \""},
      {"@foo", "@@foo"},
      {"q\"uo\\te\ttab\x01x", "q\\\"uo\\\\te\\ttab\\x1x"},
      {std::string("\x01") + "7", "\\x1\\x37"},  // a hex digit after \x is escaped too
      {"/home/é x/Data/", "/home/é x/Data/"},    // UTF-8 stays as it is
      {"line\nbreak", "line\\nbreak"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(iniEscapeText(c.text), c.raw) << c.text;
    bool isText = false;
    EXPECT_EQ(iniUnescapeText(c.raw, &isText), c.text) << c.raw;
    EXPECT_TRUE(isText);
  }
}

TEST(IniSettingsStore, ValuesWrittenByHandReadAsQtReadsThem) {
  struct Case {
    std::string raw;
    std::string text;
    bool isText;
  };
  const Case cases[] = {
      {"  padded  ", "padded", true},  // blanks outside quotes go
      {"\"  kept  \"", "  kept  ", true},
      {"a, b,c", "a, b, c", true},  // an unquoted list, items joined
      {"@String(x)", "x", true},
      {"@Variant(\\0\\0\\0\\x7f)", "", false},
      {"@Invalid()", "", false},
      {"\\101\\x42", "AB", true},  // octal and hex escapes
      {"caf\\xe9", "café", true},
  };
  for (const Case& c : cases) {
    bool isText = !c.isText;
    EXPECT_EQ(iniUnescapeText(c.raw, &isText), c.text) << c.raw;
    EXPECT_EQ(isText, c.isText) << c.raw;
  }
}

TEST(IniSettingsStore, KeysAreEscapedAsQtDoes) {
  struct Case {
    std::string key;
    std::string raw;
  };
  const Case cases[] = {
      {"Com", "Com"},
      {"Key With Space", "Key%20With%20Space"},
      {"Ke=y", "Ke%3Dy"},
      {"a/b", "a\\b"},
      {"é", "%E9"},
      {"€", "%U20AC"},
      {"x_y-z.0", "x_y-z.0"},
      // Beyond U+FFFF: the two UTF-16 surrogates, each escaped.
      {"\xF0\x9F\x8C\x8A", "%UD83C%UDF0A"},
      {"sonde \xC2\xB0 \xE2\x82\xAC \xF0\x9F\x8C\x8A", "sonde%20%B0%20%U20AC%20%UD83C%UDF0A"}};
  for (const Case& c : cases) {
    EXPECT_EQ(iniEscapeKey(c.key), c.raw);
    EXPECT_EQ(iniUnescapeKey(c.raw), c.key);
  }
}

TEST(IniSettingsStore, ReadsAFileQtWrote) {
  TempDir dir;
  const std::string path = dir.file("flowdesk.ini");
  // Qt 6's own output for these values, byte for byte.
  putText(path,
          "[General]\n"
          "At=@@foo\n"
          "Com=2\n"
          "Comma=\"a,b;c=d\"\n"
          "Empty=\n"
          "Jbus=-7\n"
          "Key%20With%20Space=1\n"
          "LastPathName=/home/\xC3\xA9 x/Data/\n"
          "\n"
          "[Angle]\n"
          "0=6022\n"
          "\n"
          "[Probe]\n"
          "0=SP No 1\n"
          "1=\xC2\xB0\xC2\xB5\n");
  IniSettingsStore store(path);
  EXPECT_EQ(store.readText("", "At", "?"), "@foo");
  EXPECT_EQ(store.readNumber("", "Com", -1), 2);
  EXPECT_EQ(store.readText("", "Comma", "?"), "a,b;c=d");
  EXPECT_EQ(store.readText("", "Empty", "?"), "");
  EXPECT_EQ(store.readNumber("", "Jbus", 0), -7);
  EXPECT_EQ(store.readNumber("", "Key With Space", 0), 1);
  EXPECT_EQ(store.readText("", "LastPathName", ""), "/home/é x/Data/");
  EXPECT_EQ(store.readNumber("Angle", "0", 0), 6022);
  EXPECT_EQ(store.readText("Probe", "1", ""), "°µ");
  EXPECT_EQ(store.readText("Probe", "2", "none"), "none");
  EXPECT_EQ(store.readNumber("Nowhere", "0", 5), 5);
}

TEST(IniSettingsStore, NumbersAcceptWhatQtAccepts) {
  struct Case {
    std::string raw;
    std::int32_t expected;
  };
  const Case cases[] = {{"12", 12},          {"-1", -1},   {"+5", 5},   {" 7 ", 7},
                        {"4294967295", -1},  // the 32-bit word as stored
                        {"4294967296", 99},  // does not fit: the default
                        {"-2147483649", 99}, {"12.9", 99}, {"abc", 99}, {"", 99}};
  TempDir dir;
  for (const Case& c : cases) {
    putText(dir.file("n.ini"), "[General]\nN=" + c.raw + "\n");
    IniSettingsStore store(dir.file("n.ini"));
    EXPECT_EQ(store.readNumber("", "N", 99), c.expected) << c.raw;
  }
}

TEST(IniSettingsStore, SettingsRoundTripAndForeignEntriesStay) {
  TempDir dir;
  const std::string path = dir.file("cfg/flowdesk/flowdesk.ini");  // folders made on sync
  std::filesystem::create_directories(dir.file("cfg/flowdesk"));
  putText(path, "[General]\nGeometry=@ByteArray(xyz)\nCom=3\n\n[Window]\nsize=12\n");
  AppSettings s;
  s.Com = 2;
  s.Jbus = 12.9f;
  s.Language = 1;
  s.Bauds = 4;
  s.T0Sp1 = -1;
  s.LastPathName = "/data, with comma/";
  s.Device2 = "/dev/serial/by-id/usb-FTDI_x-if00-port0";
  s.probes[0] = {"SP N°1", 0};
  s.probes[29] = {" blank ", -300};
  {
    IniSettingsStore store(path);
    ASSERT_TRUE(saveSettings(store, s));
  }
  const std::string text = fileText(path);
  EXPECT_EQ(text.rfind("[General]\n", 0), 0u) << "[General] comes first";
  EXPECT_NE(text.find("Geometry=@ByteArray(xyz)\n"), std::string::npos);
  EXPECT_NE(text.find("[Window]\nsize=12\n"), std::string::npos);
  EXPECT_NE(text.find("Jbus=12\n"), std::string::npos);
  EXPECT_NE(text.find("LastPathName=\"/data, with comma/\"\n"), std::string::npos);
  EXPECT_EQ(text.find("Com=3"), std::string::npos);

  IniSettingsStore again(path);
  AppSettings back;
  loadSettings(again, back, dir.path(), [](const std::string&) { return std::nullopt; });
  EXPECT_EQ(back.Com, 2);
  EXPECT_FLOAT_EQ(back.Jbus, 12.0f);
  EXPECT_EQ(back.Language, 1);
  EXPECT_EQ(back.Bauds, 4);
  EXPECT_EQ(back.T0Sp1, -1);
  EXPECT_EQ(back.LastPathName, s.LastPathName);
  EXPECT_EQ(back.Device2, s.Device2);
  EXPECT_EQ(back.probes, s.probes);
  EXPECT_EQ(again.readText("", "Geometry", "?"), "?");  // not a text
}

// Files with names that are not clean UTF-8: a name is read the way it will
// be written, so saving twice writes the same file and a value is found
// under the name it was read with.
TEST(IniSettingsStore, OddNamesReadAsTheyAreWritten) {
  struct Case {
    std::string file;     // as found on disk
    std::string section;  // a value to look for afterwards
    std::string name;
    std::string value;
  };
  const Case cases[] = {
      // A broken byte is Latin-1, the same name as its escape and its UTF-8.
      {"[\xC3\xBE]\na=1\n[\xFE]\na=2\n", "\xC3\xBE", "a", "2"},
      {"[X]\n\xE9t\xE9=1\n%E9t%E9=2\n", "X", "\xC3\xA9t\xC3\xA9", "2"},
      // Past U+10FFFF (and lead bytes F8 to FF) no character exists.
      {"[X]\n\xF4\x90\x80\x80=1\n", "X", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80", "1"},
      {"[X]\n\xF8\x88\x80\x80=1\n", "X", "\xC3\xB8\xC2\x88\xC2\x80\xC2\x80", "1"},
      // Two escaped surrogates are one character, raw or escaped.
      {"[X]\n%UD83C%UDF0A=1\n\xF0\x9F\x8C\x8A=2\n", "X", "\xF0\x9F\x8C\x8A", "2"},
  };
  TempDir dir;
  const std::string path = dir.file("odd.ini");
  for (const Case& c : cases) {
    putText(path, c.file);
    std::string first;
    for (int save = 0; save < 2; ++save) {
      IniSettingsStore store(path);
      EXPECT_EQ(store.readText(c.section, c.name, "?"), c.value) << c.file;
      store.writeNumber("", "Com", 1);
      ASSERT_TRUE(store.sync());
      if (save == 0) first = fileText(path);
    }
    EXPECT_EQ(fileText(path), first) << c.file;
  }
}

TEST(IniSettingsStore, NothingWrittenWithoutAChangeAndFailuresReported) {
  TempDir dir;
  {
    IniSettingsStore store(dir.file("none.ini"));
    EXPECT_EQ(store.readNumber("", "Com", 4), 4);
    EXPECT_TRUE(store.sync());
  }
  EXPECT_TRUE(dir.entries().empty());
  // A path whose folder cannot be made (a file stands in its way).
  putText(dir.file("blocker"), "x");
  IniSettingsStore store(dir.file("blocker/flowdesk.ini"));
  store.writeNumber("", "Com", 1);
  EXPECT_FALSE(store.sync());
  EXPECT_FALSE(store.lastError().empty());
}

TEST(IniSettingsStore, FileFollowsXdgConfigHome) {
  struct Case {
    std::optional<std::string> xdg;
    std::optional<std::string> home;
    std::string expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/flowdesk/flowdesk.ini"},
      {"/cfg/", "/home/u", "/cfg/flowdesk/flowdesk.ini"},
      {std::nullopt, "/home/u", "/home/u/.config/flowdesk/flowdesk.ini"},
      {"", "/home/u", "/home/u/.config/flowdesk/flowdesk.ini"},
      {"relative", "/home/u", "/home/u/.config/flowdesk/flowdesk.ini"},
  };
  for (const Case& c : cases) {
    auto env = [&](const std::string& name) -> std::optional<std::string> {
      if (name == "XDG_CONFIG_HOME") return c.xdg;
      if (name == "HOME") return c.home;
      return std::nullopt;
    };
    EXPECT_EQ(IniSettingsStore::userFilePath("flowdesk", env), c.expected);
  }
}

}  // namespace
}  // namespace flowdesk
