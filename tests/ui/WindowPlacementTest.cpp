#include "ui/WindowPlacement.h"
#include "support/FakeControls.h"
#include "ui/CEventListCtrl.h"

#include <gtest/gtest.h>

// Where a window saved on some screen comes back, given the screens there are now.
struct PlacementCase {
    const char* label;
    const char* savedRect;
    std::optional<ScreenRect> expected;
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << c.label;
}

class SavedPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(SavedPlacement, ComesBackOnAScreenThatStillExists) {
    MemorySettings settings;
    settings.setText("Window/Rect", GetParam().savedRect);
    const std::vector<ScreenRect> workAreas{{0, 0, 1280, 1000}, {1280, 0, 1024, 740}};
    EXPECT_EQ(WindowPlacement::read(settings).placeOn(workAreas, 700, 500), GetParam().expected);
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

// The round trip is the real window's to show; here, what settings edited elsewhere may hold.
TEST(SavedPlacement, ColumnWidthsOutOfReasonAreDropped) {
    MemorySettings settings;
    settings.setText("Window/ColumnWidths", "150,-3,80");
    EXPECT_TRUE(WindowPlacement::read(settings).columnWidths.empty());
}

// How the list's width is shared: by what each column needs, the names' column taking the rest;
// a width the user dragged stays; short of room, names give way from the left down to their least.
TEST(ColumnWidths, AreSharedByNeedAndKeepWhatTheUserDragged) {
    using Need = CEventListCtrl::ColumnNeed;
    const auto share = [](int room, int eventsDragged, int soundsDragged) {
        return CEventListCtrl::shareWidths(room, {Need{100, 50, eventsDragged, false},
                                                  Need{80, 60, soundsDragged, true},
                                                  Need{40, 40, 0, false}, Need{45, 45, 0, false}});
    };
    EXPECT_EQ(share(300, 0, 0), (std::vector<int>{100, 115, 40, 45})) << "the rest to the names";
    EXPECT_EQ(share(225, 0, 0), (std::vector<int>{80, 60, 40, 45})) << "events give way";
    EXPECT_EQ(share(100, 0, 0), (std::vector<int>{50, 60, 40, 45})) << "none below its least";
    EXPECT_EQ(share(300, 150, 0), (std::vector<int>{150, 65, 40, 45})) << "events dragged";
    EXPECT_EQ(share(300, 0, 90), (std::vector<int>{100, 90, 40, 45})) << "sounds dragged";
    EXPECT_EQ(share(200, 150, 0), (std::vector<int>{150, 60, 40, 45})) << "a dragged width stays";
}
