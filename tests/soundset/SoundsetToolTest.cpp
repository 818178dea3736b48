// tambrel-soundset run as a player would run it: output, messages and exit statuses.
#include "SoundsetFormat.h"
#include "SoundsetProgram.h"
#include "surface/SurfaceRig.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// A soundset as the program saves it: values a control sets, a random-looking value, extremes.
std::vector<unsigned char> savedSoundset(SurfaceRig& rig) {
  for (int i = 0; i < 105; ++i)
    rig.kit.setParam(i / 21, i % 21, (i * 37 % 128) / 128.0);
  rig.kit.setParam(1, 12, 0.7236391839012);
  rig.kit.setParam(2, 4, 1.5);
  rig.kit.setParam(4, 20, -0.0);
  rig.kit.setParam(3, 3, 5e-324);
  for (int slot = 0; slot < 16; ++slot)
    rig.logic->assign(slot, slot % 5, slot + 3);
  rig.logic->saveSoundset();
  return readBytes("soundset  1.dat");
}

} // namespace

TEST(SoundsetTool, ASavedSoundsetAndTransferFileAreIdenticalAfterExportAndImport) {
  SurfaceRig rig;
  std::vector<unsigned char> saved = savedSoundset(rig);
  ASSERT_EQ(saved.size(), stk::SoundsetFormat::kSoundsetBytes);
  EXPECT_EQ(soundset("export 'soundset  1.dat' -o saved.json").status, 0);
  EXPECT_EQ(soundset("import saved.json -o back.dat").status, 0);
  EXPECT_EQ(readBytes("back.dat"), saved);

  rig.logic->saveDrumParamsFor(3);
  ProgramRun exported = soundset("export tempSound.dat");
  EXPECT_EQ(exported.out.find("\"format\": \"tambrel transfer\""), 4u);
  EXPECT_NE(exported.out.find("\"NB~\": 5e-324"), std::string::npos);
  std::ofstream("transfer.json") << exported.out;
  EXPECT_EQ(soundset("import transfer.json -o pasted.dat").status, 0);
  EXPECT_EQ(readBytes("pasted.dat"), readBytes("tempSound.dat"));
}

TEST(SoundsetTool, ShowListsSlotsAndDrumsByNameWithControlSteps) {
  SurfaceRig rig;
  savedSoundset(rig);
  ProgramRun shown = soundset("show 'soundset  1.dat'");
  EXPECT_EQ(shown.status, 0);
  EXPECT_NE(shown.out.find("\nencoder 1  0     NB~\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\npot 8      0     OLvl\n"), std::string::npos);
  // Drum 0 B+- is 0/128, NFrq (index 4) 20/128 = 0.15625; drum 2 NFrq is 1.5.
  EXPECT_NE(shown.out.find("\nNFrq       0.15625 (20/128)"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("  1.5  "), std::string::npos);
  EXPECT_NE(shown.out.find("  -0\n"), std::string::npos); // drum 4 Pan, the last column

  rig.logic->saveDrumParamsFor(1);
  ProgramRun transfer = soundset("show tempSound.dat");
  EXPECT_EQ(transfer.out.find("tempSound.dat: transfer file\n\nparameter  value\n"), 0u);
  EXPECT_NE(transfer.out.find("\nOFrq       0.7236391839012\n"), std::string::npos);
}

TEST(SoundsetTool, CheckTellsWhyAFileDoesNotLoadAsStored) {
  SurfaceRig rig;
  std::vector<unsigned char> saved = savedSoundset(rig);
  writeBytes("short.dat", std::vector<unsigned char>(saved.begin(), saved.begin() + 124));
  std::vector<unsigned char> longer = saved;
  longer.resize(1000, 0xff);
  writeBytes("long.dat", longer);
  std::vector<unsigned char> damaged = saved;
  stk::SoundsetFormat::writeInt32(-3, &damaged[8 * 9]);              // pot 2's drum
  stk::SoundsetFormat::writeDouble(std::nan(""), &damaged[128 + 8]); // drum 0 BAtk
  writeBytes("damaged.dat", damaged);

  ProgramRun exact = soundset("check 'soundset  1.dat'");
  EXPECT_EQ(exact.status, 0);
  EXPECT_EQ(exact.out, "soundset  1.dat: soundset file: loads exactly as stored\n"
                       "soundset  1.dat: drum 2 NFrq is 1.5, outside 0 .. 1: loaded as stored, "
                       "but no control sets it\n");
  EXPECT_EQ(soundset("check --strict 'soundset  1.dat'").status, 1);

  ProgramRun bad = soundset("check short.dat long.dat damaged.dat missing.dat");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(
      bad.out,
      "short.dat: soundset file: does not load as stored\n"
      "short.dat: 124 bytes where a soundset file has 968 and a transfer file 168\n"
      "short.dat: pot 8 is not in the file in full: it keeps the assignment it had\n"
      "short.dat: 105 of 105 values, from drum 0 B+- on, are not in the file in full: they "
      "load as 0\n"
      "long.dat: soundset file: does not load as stored\n"
      "long.dat: 1000 bytes where a soundset file has 968 and a transfer file 168: the last "
      "32 bytes are ignored\n"
      "long.dat: drum 2 NFrq is 1.5, outside 0 .. 1: loaded as stored, but no control sets it\n"
      "damaged.dat: soundset file: does not load as stored\n"
      "damaged.dat: pot 2: drum -3 parameter 12 (outside the kit) loads as drum 0 OFrq\n"
      "damaged.dat: drum 0 BAtk is nan: loads as 0\n"
      "damaged.dat: drum 2 NFrq is 1.5, outside 0 .. 1: loaded as stored, but no control "
      "sets it\n");
  EXPECT_EQ(bad.err, "missing.dat: cannot open: No such file or directory\n");
}

TEST(SoundsetTool, ABrokenImportReportsThePlaceAndLeavesTheTargetUntouched) {
  SurfaceRig rig;
  std::vector<unsigned char> saved = savedSoundset(rig);
  std::string good = soundset("export 'soundset  1.dat'").out;
  auto edited = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    return text.replace(text.find(from), from.size(), to);
  };
  struct Case {
    std::string json, error;
  } cases[] = {
      {good.substr(0, good.size() - 3), "broken.json: parse error at line "},
      {edited("\"OFrq\": 0.7236391839012", "\"OFrq\": \"0.72\""),
       "broken.json: /drums/1/OFrq: expected a number or"},
      {edited("\"OFrq\": 0.7236391839012", "\"OFreq\": 0.7236391839012"),
       "broken.json: /drums/1/OFreq: unknown parameter\n"},
      {good.substr(0, good.rfind(",\n    {")) + "]}", "broken.json: /drums/4: missing"},
  };
  for (const Case& c : cases) {
    std::ofstream("broken.json") << c.json;
    ProgramRun run = soundset("import broken.json -o 'soundset  1.dat'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind(c.error, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(readBytes("soundset  1.dat"), saved);
    EXPECT_FALSE(std::filesystem::exists("soundset  1.dat.tmp"));
  }
  EXPECT_EQ(soundset("import broken.json").status, 2); // no -o: usage
}

TEST(SoundsetTool, DiffNamesEachDifferenceWithBothValues) {
  SurfaceRig rig;
  std::vector<unsigned char> a = savedSoundset(rig);
  rig.kit.setParam(3, 12, 0.5);
  rig.logic->assign(6, 2, 4);
  rig.logic->saveSoundset();
  writeBytes("a.dat", a);

  ProgramRun different = soundset("diff a.dat 'soundset  1.dat'");
  EXPECT_EQ(different.status, 1);
  // Drum 3 OFrq was (75 * 37 % 128) / 128 = 87/128.
  EXPECT_EQ(different.out, "encoder 7: drum 1 NVlo -> drum 2 NFrq\n"
                           "drum 3 OFrq: 0.6796875 (87/128) -> 0.5 (64/128)\n");
  EXPECT_EQ(soundset("diff a.dat a.dat").status, 0);
  rig.logic->saveDrumParamsFor(0);
  ProgramRun mixed = soundset("diff a.dat tempSound.dat");
  EXPECT_EQ(mixed.status, 2);
  EXPECT_EQ(mixed.err, "tempSound.dat: is a transfer file, a.dat a soundset file: they cannot be "
                       "compared\n");
  EXPECT_EQ(soundset("diff a.dat nothing.dat").status, 2);
  EXPECT_EQ(soundset("").status, 2);
  EXPECT_EQ(soundset("--help").status, 0);
}
