// What Explorer, the file's properties and the system menu read from Belltide.exe's resources,
// from the built program.
#include "files/PcPath.h"
#include "ui/ControlIds.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <vector>

namespace {

const std::filesystem::path Program = pcPath(BELLTIDE_BUILD_DIR) / "Belltide.exe";

// An icon group's entries as the resource compiler stores them (GRPICONDIRENTRY, packed).
#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// RT_GROUP_ICON, which the headers give only as a narrow name in this build.
constexpr WORD GroupIcon = 14;

} // namespace

// The icon in every size Windows shows, the About entry the system menu gets, and the copyright
// with its sign and year.
TEST(ProgramResources, HoldTheIconsTheAboutEntryAndTheCopyright) {
    const HMODULE program =
        LoadLibraryExW(Program.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const HRSRC found =
        FindResourceW(program, MAKEINTRESOURCEW(ResourceId::MainIcon), MAKEINTRESOURCEW(GroupIcon));
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const WORD*>(LockResource(LoadResource(program, found)));
    ASSERT_NE(group, nullptr);
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(group + 3);
    std::set<int> sizes;
    for (WORD i = 0; i < group[2]; ++i)
        sizes.insert(entries[i].width == 0 ? 256 : entries[i].width);
    wchar_t about[64] = {};
    LoadStringW(program, ResourceId::AboutString, about, 64);
    FreeLibrary(program);
    // 16 and 32 for lists and title bars, 48 for Explorer's icons, 256 for its large views.
    for (int size : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.count(size)) << size << " pixels missing";
    EXPECT_EQ(std::wstring(about), L"&About Belltide...");

    const DWORD bytes = GetFileVersionInfoSizeW(Program.wstring().c_str(), nullptr);
    ASSERT_GT(bytes, 0u);
    std::vector<BYTE> info(bytes);
    ASSERT_TRUE(GetFileVersionInfoW(Program.wstring().c_str(), 0, bytes, info.data()));
    void* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\LegalCopyright", &text, &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)),
              L"\u00A9 2026 The Belltide developers");
}
