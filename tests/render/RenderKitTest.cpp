// --kit plays a factory kit exactly as --soundset with its file does, by number or by name.
#include "RenderRig.h"
#include "SoundsetFile.h"

#include <gtest/gtest.h>

namespace {

using namespace renderrig;

TEST(RenderKit, AKitByNumberOrNameSoundsAsItsSoundsetFile) {
  Scratch s;
  const std::string file =
      stk::SoundsetFile::inDirectory(TAMBREL_BUILD_KITS, stk::SoundsetFile::soundsetName(2));
  const std::vector<std::string> common = {"--seed", "5", "--length", "1", "--format", "f32"};
  auto rendered = [&](const std::string& name, std::vector<std::string> args) {
    args.insert(args.end(), {"-o", s.path(name)});
    args.insert(args.end(), common.begin(), common.end());
    EXPECT_EQ(render(args).status, 0);
    return readBytes(s.path(name));
  };
  const Bytes byFile = rendered("file.wav", {"--soundset", file});
  EXPECT_EQ(rendered("number.wav", {"--kit", "2"}), byFile);
  EXPECT_EQ(rendered("name.wav", {"--kit", "boom"}), byFile);
  EXPECT_NE(rendered("other.wav", {"--kit", "tight"}), byFile);
}

TEST(RenderKit, AnUnknownKitOrOneBesideASoundsetIsAUsageError) {
  Scratch s;
  const Outcome unknown = render({"-o", s.path("out.wav"), "--kit", "jazz"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.rfind("tambrel-render: --kit jazz: no such kit; 0 .. 9 or one of tight, "
                              "studio, ",
                              0),
            0u)
      << unknown.err;
  EXPECT_EQ(unknown.err.find('\n'), unknown.err.size() - 1);
  const Outcome both = render({"-o", s.path("out.wav"), "--kit", "1", "--soundset", "x.dat"});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("excludes"), std::string::npos) << both.err;
  EXPECT_TRUE(s.names().empty());
}

} // namespace
