// Movaro's skin images as the program carries them: every name decodes in
// both variants, the plain one for rich displays and "_256" for displays of
// 256 colours, in the size the windows are laid out for.
#include "movaro/win32/Win32SkinResources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SkinResources, EveryImageDecodesPlainAndForTwoHundredFiftySixColours) {
  struct TSkin {
    std::string Name;
    int Width, Height;
  };
  std::vector<TSkin> skins = {{"background", 640, 445},   {"header_msgdlg", 640, 75},
                              {"footer_msgdlg_orange", 20, 40}, {"about", 325, 325},
                              {"movarobox", 280, 280}};
  for (const char *state : {"but_up", "but_down", "but_disabled"}) {
    skins.push_back({state, 120, 35});
    skins.push_back({std::string(state) + "_20x74obg", 74, 20});
    for (const char *face : {"info", "exercises", "status", "messages", "config", "network", "quit"})
      skins.push_back({std::string(state) + "_" + face, 120, 35});
    for (const char *face : {"play", "pause", "stop", "forward", "back", "sound"})
      skins.push_back({std::string(state) + "_" + face, 54, 35});
  }
  TWin32SkinResources resources(GetModuleHandleA(nullptr));
  for (const TSkin &skin : skins)
    for (const std::string &name : {skin.Name, skin.Name + "_256"}) {
      TPicture picture;
      EXPECT_TRUE(DecodeDib(resources.BitmapBytes(name), TColorLevel::clMiddle, picture))
          << name;
      EXPECT_EQ(picture.Width, skin.Width) << name;
      EXPECT_EQ(picture.Height, skin.Height) << name;
    }
}
