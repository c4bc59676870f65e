#include "ui/HelpCommands.h"
#include "ui/CAboutDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Records what is opened; while the About box is "shown" its link is clicked.
struct FakeHelpLauncher : HelpLauncher {
    bool openWebAddress(const std::string& address) override {
        return opened.push_back(address), false;
    }
    bool loadHelpBook(const std::string&) override { return ++loads, bookLoads; }
    void showHelpPage(const std::string& page) override { opened.push_back("help:" + page); }
    void runAboutBox(CAboutDlg& dialog) override {
        opened.push_back(dialog.linkCaption());
        dialog.OnLinkButton();
    }
    bool bookLoads = true;
    int loads = 0;
    std::vector<std::string> opened;
};

// The logo and the About box's link open the web address; without one the logo opens the help and
// the About box has no link (an empty caption). A help book that fails to load is not tried again.
TEST(HelpCommands, LogoAndAboutLinkOpenTheWebAddressElseTheHelp) {
    const std::string web = "https://belltide.example/", help = "help:index.html";
    const struct {
        std::string address;
        bool bookLoads;
        std::vector<std::string> opened;
    } cases[] = {
        {web, true, {web, web, web, help}}, {"", true, {help, "", help, help}}, {"", false, {""}}};
    for (const auto& [address, bookLoads, opened] : cases) {
        FakeHelpLauncher launcher;
        launcher.bookLoads = bookLoads;
        HelpCommands commands(launcher, "book.htb", address);
        commands.OnLogo();
        commands.OnAbout();
        commands.OnHelp();
        EXPECT_EQ(launcher.opened, opened);
        EXPECT_EQ(launcher.loads, 1);
    }
}
