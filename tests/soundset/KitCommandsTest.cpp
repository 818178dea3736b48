// init, analyze and plot run as a player runs them, on the factory kits as built.
#include "SoundsetFile.h"
#include "SoundsetFormat.h"
#include "SoundsetProgram.h"
#include "surface/SurfaceRig.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

std::string kitPath(int kit) {
  return stk::SoundsetFile::inDirectory(TAMBREL_BUILD_KITS, stk::SoundsetFile::soundsetName(kit));
}

} // namespace

TEST(KitCommands, InitCopiesTheMissingKitsAndKeepsEveryFileAlreadyThere) {
  ScratchDirectory scratch;
  ASSERT_EQ(mkdir("kits", 0777), 0);
  const std::vector<unsigned char> mine(stk::SoundsetFormat::kSoundsetBytes, 7);
  writeBytes("kits/soundset  1.dat", mine);
  writeBytes("kits/soundset  4.dat", {1, 2, 3}); // even a damaged soundset is the player's

  ProgramRun first = soundset("init kits");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(readBytes("kits/soundset  1.dat"), mine);
  EXPECT_EQ(readBytes("kits/soundset  4.dat"), (std::vector<unsigned char>{1, 2, 3}));
  for (int kit : {0, 2, 3, 5, 6, 7, 8, 9})
    EXPECT_EQ(readBytes("kits/" + stk::SoundsetFile::soundsetName(kit)), readBytes(kitPath(kit)));
  EXPECT_NE(first.out.find("kept    \"soundset  1.dat\": already there\n"), std::string::npos)
      << first.out;
  EXPECT_NE(first.out.find("kept    \"soundset  4.dat\""), std::string::npos);
  EXPECT_NE(first.out.find("copied  \"soundset  0.dat\" (tight)\n"), std::string::npos);
  EXPECT_NE(first.out.find("copied  \"soundset  9.dat\" (glitch)\n"), std::string::npos);
  EXPECT_EQ(first.out.find("copied  \"soundset  1.dat\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("kits/soundset  0.dat.new"));

  ProgramRun again = soundset("init kits");
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out.find("copied"), std::string::npos) << again.out;
}

TEST(KitCommands, InitFailsWhenAKitCannotBeThereAfterwards) {
  ScratchDirectory scratch;
  ASSERT_EQ(mkdir("soundset  2.dat", 0777), 0); // a name taken by something else than a file
  ProgramRun run = soundset("init");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "soundset  2.dat: the name is taken by something other than a file: kit "
                     "not copied\n");
  EXPECT_EQ(readBytes("soundset  3.dat"), readBytes(kitPath(3)));

  ProgramRun missing = soundset("init nowhere");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "nowhere: no such directory\n");
}

TEST(KitCommands, AnalyzePrintsEachDrumsFiguresAsATableOrJson) {
  ScratchDirectory scratch;
  ProgramRun table = soundset("analyze '" + kitPath(1) + "'");
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find(": factory kit studio, seed 1, one hit at velocity 100\n"),
            std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("\n4     46  "), std::string::npos) << table.out;

  ProgramRun json = soundset("analyze '" + kitPath(1) + "' --json --drum 3 --seed 2");
  ASSERT_EQ(json.status, 0);
  nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["kit"], "studio");
  EXPECT_EQ(document["seed"], 2);
  ASSERT_EQ(document["drums"].size(), 1u);
  EXPECT_EQ(document["drums"][0]["note"], 42);
  EXPECT_GT(document["drums"][0]["centroid_hz"].get<double>(), 3500);

  // Another seed, other noise tables: the hat's figures move, its role stays.
  ProgramRun seed1 = soundset("analyze '" + kitPath(1) + "' --json --drum 3");
  EXPECT_NE(nlohmann::json::parse(seed1.out)["drums"][0]["centroid_hz"],
            document["drums"][0]["centroid_hz"]);

  EXPECT_EQ(soundset("analyze '" + kitPath(1) + "' --drum 5").status, 2);
  ProgramRun missing = soundset("analyze missing.dat");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "missing.dat: cannot open: No such file or directory\n");
}

TEST(KitCommands, PlotWritesAPngOfTheAskedSizeWithAPicture) {
  ScratchDirectory scratch;
  ProgramRun run = soundset("plot '" + kitPath(2) + "' -o kit.png --size 640x360");
  ASSERT_EQ(run.status, 0) << run.err;
  ProgramRun kind{std::system("file kit.png >file.out"), textOf("file.out"), ""};
  EXPECT_NE(kind.out.find("PNG image data, 640 x 360"), std::string::npos) << kind.out;

  cairo_surface_t* image = cairo_image_surface_create_from_png("kit.png");
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(image), 640);
  EXPECT_EQ(cairo_image_surface_get_height(image), 360);
  const unsigned char* pixels = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  std::set<uint32_t> colours;
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < 640; ++x)
      colours.insert(reinterpret_cast<const uint32_t*>(pixels + y * stride)[x] & 0xffffff);
  cairo_surface_destroy(image);
  EXPECT_GT(colours.size(), 10u); // background, frames, waveforms, envelopes, spectra, text

  EXPECT_EQ(soundset("plot '" + kitPath(2) + "' -o small.png --size 20x10").status, 2);
  EXPECT_FALSE(std::filesystem::exists("small.png"));
  EXPECT_EQ(soundset("plot missing.dat -o none.png").status, 1);
  EXPECT_FALSE(std::filesystem::exists("none.png"));
}
