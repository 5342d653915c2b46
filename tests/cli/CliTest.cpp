// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli run in-process: option parsing, exit codes and messages, and
// the file commands (detect against the unit program is in
// DetectStoreEndToEndTest.cpp).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/AppSettings.h"
#include "base/MemorySettingsStore.h"
#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/InProcessCli.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "echo/EchoFile.h"
#include "logger/LoggerFile.h"
#include "measure/MeasurementFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

TEST(CliOptions, CommonOptionsAnywhere) {
  struct Case {
    std::vector<std::string> args;
    std::string error;  // "" when the line is good
    std::string command;
    std::vector<std::string> rest;
  };
  const std::vector<Case> cases = {
      {{"detect"}, "", "detect", {}},
      {{"--port", "2", "--baud", "1200", "detect"}, "", "detect", {}},
      {{"show", "x.eta", "--lang=en"}, "", "show", {"x.eta"}},
      {{"--device", "/dev/pts/3", "record", "a.mes", "--polls", "3"},
       "",
       "record",
       {"a.mes", "--polls", "3"}},
      {{"convert", "a.log", "-o", "b.prn", "--trace"}, "", "convert", {"a.log", "-o", "b.prn"}},
      {{"--port", "5", "detect"}, "--port wants 1, 2, 3 or 4", "", {}},
      {{"--port", "x", "detect"}, "--port wants 1, 2, 3 or 4", "", {}},
      {{"--baud", "19200", "detect"}, "--baud wants 300, 600, 1200, 2400, 4800 or 9600", "", {}},
      {{"--address", "256", "detect"}, "--address wants a number from 0 to 255", "", {}},
      {{"--address", "-1", "detect"}, "--address wants a number from 0 to 255", "", {}},
      {{"--lang", "de", "detect"}, "--lang wants fr or en", "", {}},
      {{"--reply-end", "fast", "detect"}, "--reply-end wants length or silence", "", {}},
      {{"detect", "--reply-end"}, "--reply-end needs a value", "", {}},
      {{"--device", "rfc2217://h:4001", "detect", "--reply-end=silence"}, "", "detect", {}},
      {{"detect", "--device"}, "--device needs a value", "", {}},
      {{"--trace=1", "detect"}, "--trace takes no value", "", {}},
      {{"--polls", "3", "record"}, "unknown option --polls", "", {}},
      // After "--" everything is a name, the command's "--" included.
      {{"show", "--", "-x.eta", "--lang"}, "", "show", {"--", "-x.eta", "--lang"}},
      {{"--lang", "en", "--", "show", "-x.eta"}, "", "show", {"--", "-x.eta"}},
      {{"show", "-x.eta"}, "", "show", {"-x.eta"}},
  };
  for (const Case& c : cases) {
    CliOptions o;
    std::string error = parseCliOptions(c.args, o);
    EXPECT_EQ(error, c.error) << c.args.front();
    if (error.empty()) {
      EXPECT_EQ(o.command, c.command);
      EXPECT_EQ(o.args, c.rest);
    }
  }
  CliOptions o;
  ASSERT_EQ(parseCliOptions({"--maker", "--port=3", "--baud=300", "--address", "0", "--lang", "fr",
                             "--device=/dev/x", "--reply-end", "length", "new", "a.nvd"},
                            o),
            "");
  EXPECT_TRUE(o.maker);
  EXPECT_TRUE(o.factory) << "maker mode includes factory mode";
  EXPECT_EQ(o.port, 3);
  EXPECT_EQ(o.baudIndex, 0);
  EXPECT_EQ(o.address, 0);
  EXPECT_TRUE(o.language == kFrench);
  EXPECT_EQ(o.device, "/dev/x");
  EXPECT_EQ(o.replyEnd, static_cast<int>(ReplyEndRule::kLength));
}

TEST(CliOptions, CommandArguments) {
  CommandArgs args({{"--polls", true}, {"--clock", false}});
  EXPECT_EQ(args.parse({"a.mes", "--polls", "3", "--clock", "--polls=4"}), "");
  EXPECT_EQ(args.positional(), std::vector<std::string>{"a.mes"});
  EXPECT_EQ(args.value("--polls"), "4");
  EXPECT_TRUE(args.has("--clock"));
  EXPECT_FALSE(args.value("--other").has_value());
  EXPECT_EQ(args.parse({"--polls"}), "--polls needs a value");
  EXPECT_EQ(args.parse({"--clock=yes"}), "--clock takes no value");
  EXPECT_EQ(args.parse({"--nope"}), "unknown option --nope");
  EXPECT_EQ(args.parse({"--polls", "2", "--", "-a.mes", "--clock"}), "");
  EXPECT_EQ(args.positional(), (std::vector<std::string>{"-a.mes", "--clock"}));
  EXPECT_FALSE(args.has("--clock"));
  EXPECT_EQ(parseWholeNumber("12", 0, 20), 12);
  EXPECT_FALSE(parseWholeNumber("12x", 0, 20));
  EXPECT_FALSE(parseWholeNumber("", 0, 20));
  EXPECT_FALSE(parseWholeNumber("21", 0, 20));
}

using Cli = testing::InProcessCli;

TEST(Cli, UsageErrorsGiveTwoAndOneLine) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command frobnicate"},
      {{"--baud", "100", "detect"}, "--baud wants"},
      {{"--bogus"}, "unknown option --bogus"},
      {{"detect", "extra.eta"}, "detect takes no file"},
      {{"detect", "--polls", "2"}, "unknown option --polls"},
      {{"new"}, "new wants one file name"},
      {{"new", "a.eta", "b.eta"}, "new wants one file name"},
      {{"--lang", "en", "new", "a.mes"}, "new makes .eta, .rus, .nvd or .csp540"},
      {{"--lang", "en", "new", "a.ETA"}, "new makes"},  // kinds are case-sensitive
      {{"--lang", "en", "new", "a.rus"}, "needs --factory"},
      {{"--lang", "en", "--factory", "new", "a.nvd"}, "needs --maker"},
      {{"--lang", "en", "--factory", "new", "a.csp540"}, "needs --maker"},
      {{"show"}, "show wants one file name"},
  };
  for (const Case& c : cases) {
    Cli cli;
    EXPECT_EQ(cli.run(c.args), 2) << c.message;
    EXPECT_NE(cli.err.find(c.message), std::string::npos) << cli.err;
    EXPECT_EQ(cli.errLines(), 1) << cli.err;
    EXPECT_EQ(cli.err.rfind("flowdesk-cli: ", 0), 0u);
    EXPECT_TRUE(cli.out.empty());
  }
}

// A device that is not there, or that is no serial line, is said as the
// connection page says it, by every command that talks to the unit, and once.
TEST(Cli, EveryCommandSaysWhyThePortDidNotOpen) {
  TempDir dir;
  const std::string missing = dir.file("ttyUSB9");
  const std::string plain = dir.file("notes.txt");
  putFile(plain, {'x'});
  const std::string isMissing = missing + " does not exist (adapter unplugged?)";
  const std::string isPlain = plain + " is not a serial device: it is a plain file";
  struct Case {
    std::string device;
    std::vector<std::string> command;
    std::string reason;
  };
  const Case cases[] = {
      {missing, {"detect"}, isMissing},
      {missing, {"record", dir.file("a.mes")}, isMissing},
      {missing, {"download", dir.file("a.log")}, isMissing},
      {missing, {"echo", dir.file("a.ech"), "--screen", "1"}, isMissing},
      {missing, {"save", "calibration", dir.file("a.eta")}, isMissing},
      {missing, {"--factory", "save", "factory", dir.file("a.rus")}, isMissing},
      {missing, {"logger-config"}, isMissing},
      {missing, {"--maker", "init"}, isMissing},
      {plain, {"detect"}, isPlain},
      {plain, {"record", dir.file("b.mes")}, isPlain},
      {plain, {"save", "calibration", dir.file("b.eta")}, isPlain},
  };
  for (const auto& c : cases) {
    testing::InProcessCli cli;
    std::vector<std::string> args{"--lang", "en", "--device", c.device};
    args.insert(args.end(), c.command.begin(), c.command.end());
    SCOPED_TRACE(c.command.front() + " " + c.command.back());
    EXPECT_EQ(cli.run(args), 3) << "no usable device";
    std::size_t said = 0;
    for (std::size_t at = cli.err.find(c.reason); at != std::string::npos;
         at = cli.err.find(c.reason, at + 1)) {
      ++said;
    }
    EXPECT_EQ(said, 1u) << cli.err;
    EXPECT_EQ(cli.err.find("usermod"), std::string::npos) << cli.err;
    EXPECT_EQ(cli.err.find("(no answer)"), std::string::npos) << cli.err;
  }
}

TEST(Cli, HelpAndVersion) {
  Cli cli;
  EXPECT_EQ(cli.run({"--help"}), 0);
  for (const char* word :
       {"detect", "new FILE.eta", "show FILE", "logger-config", "convert IN.mes|IN.log",
        "download FILE.log", "echo FILE.ech", "init [", "--device PATH", "rfc2217://HOST:PORT",
        "--reply-end length|silence", "--trace", "Exit status"}) {
    EXPECT_NE(cli.out.find(word), std::string::npos) << word;
  }
  // Start-up switches are substring tests on the GUI's command line.
  EXPECT_EQ(cli.out.find("-q"), std::string::npos);
  EXPECT_EQ(cli.run({"show", "x", "--help"}), 0);
  EXPECT_EQ(cli.run({"--version"}), 0);
  EXPECT_EQ(cli.out.rfind("flowdesk-cli ", 0), 0u);
}

TEST(Cli, NewWritesEachKindAtExactlyThatPath) {
  struct Case {
    std::vector<std::string> options;
    std::string name;
    std::size_t size;
  };
  const std::vector<Case> cases = {
      {{}, "Nouveau.eta", 436},
      {{"--factory"}, "a.b.rus", 70},  // no extension forcing: that very path
      {{"--maker"}, "x.nvd", 20},
      {{"--maker"}, "x.csp540", 10},
  };
  for (const Case& c : cases) {
    Cli cli;
    std::vector<std::string> args = c.options;
    args.push_back("new");
    args.push_back(cli.file(c.name));
    ASSERT_EQ(cli.run(args), 0) << cli.err;
    EXPECT_EQ(cli.out, cli.file(c.name) + "\n");
    EXPECT_EQ(fileBytes(cli.file(c.name)).size(), c.size);
  }
}

TEST(Cli, NewCalibrationFileTakesTheSavedCatalogue) {
  Cli cli;
  cli.settings.values = {{{"", "FSp1"}, 3},
                         {{"", "T0Sp2"}, 77},
                         {{"Probe", "0"}, std::string("Mine")},
                         {{"Angle", "0"}, 4550}};
  const auto saved = cli.settings.values;
  ASSERT_EQ(cli.run({"new", cli.file("c.eta")}), 0) << cli.err;
  CalibrationFile f;
  ASSERT_TRUE(readCalibrationFile(cli.file("c.eta"), f).ok());
  EXPECT_EQ(f.identification.probes[0].name, "Mine");
  EXPECT_EQ(f.identification.probes[0].angle, 4550);
  EXPECT_EQ(f.identification.probes[1].name, "");  // not a first run: no built-in names
  EXPECT_EQ(f.identification.FSp1, 3);
  EXPECT_EQ(f.identification.T0Sp2, 77);
  // Making a file changes nothing in the settings.
  EXPECT_EQ(cli.settings.values, saved);
}

TEST(Cli, FilesThatCannotBeWrittenOrReadGiveTwo) {
  Cli cli;
  EXPECT_EQ(cli.run({"--lang", "en", "new", cli.file("no/folder/a.eta")}), 2);
  EXPECT_NE(cli.err.find("Cannot create the file " + cli.file("no/folder/a.eta")),
            std::string::npos)
      << cli.err;
  EXPECT_EQ(cli.errLines(), 1);

  struct Case {
    std::string name;
    Bytes bytes;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"missing.eta", {}, "Cannot open the file"},
      {"short.rus", {0x44, 0x00, 1, 2}, "File shorter than its header announces"},
      {"big.nvd", {0x20, 0x00, 0x04, 0x00}, "Header announces more than the block holds"},
      {"zero.log", {0x00, 0x00}, "Record size of 0"},
      {"zero.ech", {0x00, 0x00, 1}, "Record size of 0"},
      {"cut.mes", {0x34, 0x01, 11}, "File shorter than its header"},
      {"cut.csp540", {1, 2, 3}, "File too short"},
      {"plain.txt", {1, 2, 3}, "Unknown file kind"},
  };
  for (const Case& c : cases) {
    if (c.name != "missing.eta") putFile(cli.file(c.name), c.bytes);
    EXPECT_EQ(cli.run({"--lang", "en", "show", cli.file(c.name)}), 2) << c.name;
    EXPECT_NE(cli.err.find(c.message), std::string::npos) << cli.err;
    EXPECT_NE(cli.err.find(cli.file(c.name)), std::string::npos) << cli.err;
    EXPECT_EQ(cli.errLines(), 1) << cli.err;
    EXPECT_TRUE(cli.out.empty()) << "nothing shown of a file that cannot be read";
  }
  EXPECT_EQ(cli.run({"--lang", "fr", "show", cli.file("zero.log")}), 2);
  EXPECT_NE(cli.err.find("Taille d'enregistrement nulle"), std::string::npos) << cli.err;
}

// A parameter file whose block length is not the unit's is shown, over the
// defaults and with a note, but never uploaded. No unit is needed: the
// refusal comes before anything is sent.
TEST(Cli, FilesOfTheWrongLengthAreShownNotSent) {
  Cli cli;
  const Bytes catalogue(308, 0);
  Bytes eta{0x36, 0x01, 0x00, 0x00};
  eta.insert(eta.end(), catalogue.begin(), catalogue.end());
  Bytes rus{20, 0};
  rus.insert(rus.end(), 20, 0);
  struct Case {
    std::string name;
    Bytes bytes;
    const char* mode;  // what the kind needs
    std::string found, expected;
    std::vector<std::string> shown;  // lines `show` prints
  };
  const std::vector<Case> cases = {
      {"zero.eta",
       eta,
       "--factory",  // changes nothing for a .eta
       "0",
       "124",
       {"  note: The file holds only 0 of a configuration's 124 bytes: the other fields take "
        "their defaults\n",
        "  KH: 1.055\n", "  C0: 1500\n"}},
      {"short.rus",
       rus,
       "--factory",
       "20",
       "68",
       {"  note: The file holds only 20 of the block's 68 bytes: the other fields take their "
        "defaults\n",
        "  linearisation 100 %: 1.000\n", "  contrast: 50 %\n"}},
      {"short.nvd",
       {2, 0, 0, 0, 7, 33},
       "--maker",
       "2",
       "12",
       {"  note: The file holds only 2 of the block's 12 bytes", "  device: 1 (VOV)\n"}},
      {"long.csp540",
       {'P', 'r', 'o', 'b', 'e', '2', 0x04, 0xD2, 6, 23, 0, 0},
       "--maker",
       "12",
       "10",
       {"  note: The file holds 12 bytes instead of 10: the bytes past them are ignored\n",
        "  name: \"Probe2\"\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = cli.file(c.name);
    putFile(path, c.bytes);
    ASSERT_EQ(cli.run({"--lang", "en", c.mode, "show", path}), 0) << cli.err;
    for (const std::string& line : c.shown) {
      EXPECT_NE(cli.out.find(line), std::string::npos) << line << cli.out;
    }
    const std::string noPort = cli.file("no-port");
    EXPECT_EQ(cli.run({"--lang", "en", c.mode, "--device", noPort, "upload", path}), 2);
    EXPECT_EQ(cli.err, "flowdesk-cli: Nothing is sent to the unit: wrong block length in " + path +
                           " (found " + c.found + ", expected " + c.expected + ")\n");
    EXPECT_TRUE(cli.out.empty());
    EXPECT_EQ(cli.run({"--lang", "fr", c.mode, "--device", noPort, "upload", path}), 2);
    EXPECT_NE(cli.err.find("(trouvé " + c.found + ", attendu " + c.expected + ")"),
              std::string::npos)
        << cli.err;
  }
}

TEST(Cli, ShowDecodesParameterFiles) {
  Cli cli;
  FactoryFile rus = defaultFactoryFile();
  rus.block[5] = 42;    // Jbus address
  rus.block[14] = 11;   // SP1 frequency "62.5kHz"
  rus.block[13] = 123;  // SP1 T0 12.3
  rus.block[19] = 'A';  // SP1 text
  rus.block[63] = 9;    // a unit language the list does not have
  ASSERT_TRUE(writeFactoryFile(cli.file("f.rus"), rus).ok());
  ASSERT_EQ(cli.run({"--lang", "en", "show", cli.file("f.rus")}), 0) << cli.err;
  for (const char* line :
       {"Jbus address: 42\n", "SP1: angle 0.00, T0 12.3, frequency 11 (62.5kHz), text \"A     \"\n",
        "display inversion: 1 (Yes)\n", "unit language: 9 (*****)\n", "simulated flow: +9.0\n",
        "linearisation 100 %: 1.000\n"}) {
    EXPECT_NE(cli.out.find(line), std::string::npos) << line << cli.out;
  }

  // In French on a French desktop: French names, decimal commas.
  cli.regional.decimalSeparator = ",";
  ASSERT_EQ(cli.run({"--lang", "fr", "show", cli.file("f.rus")}), 0) << cli.err;
  for (const char* line : {"  adresse Jbus: 42\n",
                           "  SP1: angle 0,00, T0 12,3, fréquence 11 (62.5kHz), texte \"A     \"\n",
                           "  linéarisation 100 %: 1,000\n", "  coupure DeltaT: 0,0 ns\n"}) {
    EXPECT_NE(cli.out.find(line), std::string::npos) << line << cli.out;
  }
  ASSERT_EQ(cli.run({"--maker", "new", cli.file("m.nvd")}), 0);
  ASSERT_EQ(cli.run({"show", cli.file("m.nvd")}), 0);
  EXPECT_NE(cli.out.find("numéro de série: 01 94 00001\n"), std::string::npos) << cli.out;
  EXPECT_NE(cli.out.find("appareil: 1 (VOV)\n"), std::string::npos) << cli.out;
  cli.regional = {};

  ASSERT_EQ(cli.run({"new", cli.file("c.eta")}), 0);
  ASSERT_EQ(cli.run({"--lang", "en", "show", cli.file("c.eta")}), 0);
  for (const char* line :
       {"format number: 310\n", "probe 6: \"T210\" 6022\n", "  Probe: SP No 3\n",
        "  Diameter value: 26.1\n", "  Q unit: m3/h\n", "  KH: 1.055\n", "  C0: 1500\n",
        "  Length 1: 282.8\n  Length 2: 282.8\n", "  Ci 1: 0.500\n", "  DeltaT0 1: +0.0\n",
        "  P. weight Tot1: 0.100\n", "  Threshold R1: +100.0\n", "  Pulse width: 200 ms\n"}) {
    EXPECT_NE(cli.out.find(line), std::string::npos) << line;
  }
  ASSERT_EQ(cli.run({"--lang", "fr", "show", cli.file("c.eta")}), 0);
  for (const char* line : {"  Sonde: SP No 3\n", "  Matériau: Cuivre\n", "  Type R1: Ouvert\n"}) {
    EXPECT_NE(cli.out.find(line), std::string::npos) << line;
  }
}

TEST(Cli, ShowSummarisesRecordings) {
  Cli cli;
  // A logger file of two 4-parameter records.
  Bytes records(62, 0);
  for (int k = 0; k < 2; ++k) {
    std::uint8_t* r = records.data() + 31 * k;
    r[0] = 3;
    r[1] = 0x80 | (4 << 4) | 3;
    r[2] = 4;
    r[3] = static_cast<std::uint8_t>(5 + k);
    r[4] = 14;
    r[5] = 7;
    r[6] = 9;
    r[8] = 0x41;  // flow 12.5
    r[9] = 0x48;
    r[25] = 0xC0 | 20;  // status slot
    r[28] = 0x01;
    r[29] = 0x41;
  }
  ASSERT_TRUE(createLoggerFile(cli.file("l.log"), 31).ok());
  int written = 0;
  ASSERT_TRUE(appendLoggerRecords(cli.file("l.log"), 1, 31, records, 2, written).ok());
  ASSERT_EQ(cli.run({"--lang", "en", "show", cli.file("l.log")}), 0) << cli.err;
  EXPECT_NE(cli.out.find("parameters per record: 4\n"), std::string::npos);
  EXPECT_NE(cli.out.find("records: 2\n"), std::string::npos);
  EXPECT_NE(cli.out.find("2  06/03/2004 14:07:09  point 3    12.50 m3/h"), std::string::npos)
      << cli.out;
  EXPECT_NE(cli.out.find("| Status  A~~~~FG~~~~~ (000 %)  X\n"), std::string::npos) << cli.out;

  // An echo file of two pictures.
  EchoImage image{};
  image[0] = 0x01;
  ASSERT_TRUE(startEchoFile(cli.file("e.ech"), image).ok());
  image[1] = 0xFF;
  ASSERT_TRUE(appendEchoImage(cli.file("e.ech"), image).ok());
  ASSERT_EQ(cli.run({"show", cli.file("e.ech")}), 0) << cli.err;
  EXPECT_NE(cli.out.find("1  1 pixels noirs\n"), std::string::npos) << cli.out;
  EXPECT_NE(cli.out.find("2  9 pixels noirs\n"), std::string::npos) << cli.out;
  EXPECT_NE(cli.out.find("  |▀\n"), std::string::npos) << "the first picture is drawn";

  // A measurement file of one record with no data in its frames.
  MeasurementRecord record;
  for (std::size_t f = 0; f < kFrameCount; ++f)
    record.frames[f].assign(kMeasurementFrameSizes[f], 0);
  ASSERT_TRUE(startMeasurementFile(cli.file("m.mes"), {}, record).ok());
  cli.regional.decimalSeparator = ",";
  ASSERT_EQ(cli.run({"show", cli.file("m.mes")}), 0) << cli.err;
  EXPECT_NE(cli.out.find("enregistrements: 1\n"), std::string::npos);
  EXPECT_NE(cli.out.find("1  00/00/2000 00:00:00  débit 0,000 l/s  vitesse 0,000 m/s  célérité "
                         "0,0 m/s"),
            std::string::npos)
      << cli.out;
}

}  // namespace
}  // namespace flowdesk
