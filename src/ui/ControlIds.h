// Ids of the main window's controls and menu commands.
#pragma once

namespace ControlId {
enum : int {
    Close = 1,
    EventList = 1000,
    ChangeSound = 1003,
    PlaySound = 1004,
    UploadTheme = 1005,
    DownloadTheme = 1006,
    NoSound = 1009,
    OpenTheme = 1010,
    SaveTheme = 1011,
    ThemeList = 1013,
    ExtendedCheck = 1019,
    Logo = 1021,
};
} // namespace ControlId

namespace CommandId {
enum : int {
    PopupPlay = 32785,
    PopupChange = 32786,
    PopupNoSound = 32787,
    Help = 32788,
    Exit = 32790,
    NewTheme = 32791,
    SaveTheme = 32772,
    About = 32773,
    OpenTheme = 57601,
};
} // namespace CommandId

// Ids in the Windows resources (src/belltide.rc) and of the system menu's About entry.
namespace ResourceId {
enum : int {
    AboutString = 101,
    MainIcon = 154,
    SystemAbout = 0x0010,
};
} // namespace ResourceId
