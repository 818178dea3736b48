// The program started in a folder that tambrel-soundset init has filled plays factory kit 1.
#include "AppRig.h"
#include "SoundsetDocument.h"
#include "SoundsetFile.h"
#include "SoundsetFormat.h"
#include "SoundsetTool.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(FactoryKitStart, AfterInitTheProgramStartsWithKitOnesSoundAndSlots) {
  AppRig rig([] {
    std::ostringstream out, err;
    stk::SoundsetTool tool(out, err);
    tool.kitsFolder = TAMBREL_BUILD_KITS;
    const char* const argv[] = {"tambrel-soundset", "init"};
    ASSERT_EQ(tool.run(2, argv), 0) << err.str();
  });
  stk::SoundsetDocument kit1;
  std::string error;
  ASSERT_TRUE(kit1.read(
      stk::SoundsetFile::inDirectory(TAMBREL_BUILD_KITS, stk::SoundsetFile::soundsetName(1)),
      error))
      << error;

  for (int drum = 0; drum < 5; ++drum)
    for (int param = 0; param < 21; ++param)
      EXPECT_EQ(rig.kit->getParam(drum, param), kit1.contents.drums[drum].params[param])
          << "drum " << drum << " parameter " << param;
  for (int slot = 0; slot < stk::NovationLogic::kSlots; ++slot) {
    EXPECT_EQ(rig.logic->controlAssignment[slot].drum, kit1.contents.slots[slot].drum);
    EXPECT_EQ(rig.logic->controlAssignment[slot].param, kit1.contents.slots[slot].param);
  }
  EXPECT_EQ(rig.logic->soundsetNumber, 1);

  // And it sounds as kit 1: a snare hit matches the reference kit given kit 1's values.
  stk::SoundsetFormat::apply(kit1.contents, *rig.reference);
  rig.kit->noteOn(38, 100 / 128.0);
  rig.reference->noteOn(38, 100 / 128.0);
  std::vector<double> played = AppRig::render(*rig.kit, 4410);
  EXPECT_EQ(played, AppRig::render(*rig.reference, 4410));
  EXPECT_NE(played, std::vector<double>(4410, 0.0));
}
