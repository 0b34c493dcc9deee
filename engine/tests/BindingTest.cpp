#include <gtest/gtest.h>

#include "app/DiscGrabDefs.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(BindingTest, ALibraryWithoutOneExportIsNotBound) {
  EXPECT_FALSE(DiscGrabDefs::LoadDiscGrabLibraryFrom(
      qm::test::BinPath("libDiscGrabIncomplete.so").string()));
  EXPECT_FALSE(DiscGrabDefs::DiscGrabLoaded);
  EXPECT_FALSE(DiscGrabDefs::LoadDiscGrabLibraryFrom("/nonexistent/libDiscGrab.so"));
  EXPECT_FALSE(DiscGrabDefs::DiscGrabLoaded);

  ASSERT_TRUE(DiscGrabDefs::LoadDiscGrabLibrary()) << "the library beside the program";
  EXPECT_TRUE(DiscGrabDefs::DiscGrabLoaded);
  EXPECT_NE(DiscGrabDefs::DiscGrab_RippTrack, nullptr);
  EXPECT_TRUE(DiscGrabDefs::UnloadDiscGrabLibrary());
  EXPECT_FALSE(DiscGrabDefs::DiscGrabLoaded);
  EXPECT_EQ(DiscGrabDefs::DiscGrab_Create, nullptr);
  EXPECT_FALSE(DiscGrabDefs::UnloadDiscGrabLibrary()) << "nothing left to free";
}

}  // namespace
