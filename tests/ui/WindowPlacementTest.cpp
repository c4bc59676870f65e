#include "ui/WindowPlacement.h"
#include "support/FakeControls.h"

#include <gtest/gtest.h>

// Where a window saved on some screen comes back, given the screens there are now.
struct PlacementCase {
    const char* label;
    const char* savedRect;
    std::optional<ScreenRect> expected;
    friend void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.label; }
};

class SavedPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(SavedPlacement, ComesBackOnAScreenThatStillExists) {
    MemorySettings settings;
    // The round trip is the real window's to show; here, what settings edited elsewhere may hold.
    settings.values = {{"Window/Rect", GetParam().savedRect}, {"Window/ColumnWidths", "150,-3,80"}};
    const std::vector<ScreenRect> workAreas{{0, 0, 1280, 1000}, {1280, 0, 1024, 740}};
    const WindowPlacement placement = WindowPlacement::read(settings);
    EXPECT_EQ(placement.placeOn(workAreas, 700, 500), GetParam().expected);
    EXPECT_TRUE(placement.columnWidths.empty()) << "widths out of reason are dropped";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SavedPlacement,
    ::testing::Values(
        PlacementCase{"AsLeft", "100,50,800,600", ScreenRect{100, 50, 800, 600}},
        PlacementCase{"OnTheSecondScreen", "1400,20,800,600", ScreenRect{1400, 20, 800, 600}},
        PlacementCase{"ScreenGone", "2500,20,800,600", std::nullopt},
        PlacementCase{"LargerThanItsScreen", "1300,-40,2000,900", ScreenRect{1280, 0, 1024, 740}},
        PlacementCase{"SmallerThanTheLeast", "10,10,200,100", ScreenRect{10, 10, 700, 500}},
        PlacementCase{"NothingSaved", "", std::nullopt},
        PlacementCase{"Garbage", "10,10,abc,100", std::nullopt},
        PlacementCase{"NoSize", "10,10,0,0", std::nullopt},
        PlacementCase{"Absurd", "10,10,99999999999,100", std::nullopt}),
    [](const auto& param) { return std::string(param.param.label); });
