#include "ui/HelpCommands.h"
#include "ui/CAboutDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records what is opened; the About box runs the test's script while it is "shown".
class FakeHelpLauncher : public HelpLauncher {
public:
    bool openWebAddress(const std::string& address) override {
        addresses.push_back(address);
        return false;
    }
    bool loadHelpBook(const std::string& bookPath) override {
        booksLoaded.push_back(bookPath);
        return bookLoads;
    }
    void showHelpPage(const std::string& page) override { pages.push_back(page); }
    void runAboutBox(CAboutDlg& dialog) override {
        ++aboutBoxes;
        if (whileAboutShown)
            whileAboutShown(dialog);
    }

    bool bookLoads = true;
    std::function<void(CAboutDlg&)> whileAboutShown;
    std::vector<std::string> addresses, booksLoaded, pages;
    int aboutBoxes = 0;
};

class HelpCommandsTest : public ::testing::Test {
protected:
    // The logo, then the About box's link with its caption.
    void clickLogoAndLink(HelpCommands& help) {
        help.OnLogo();
        launcher.whileAboutShown = [this](CAboutDlg& dialog) {
            linkCaption = dialog.linkCaption();
            dialog.OnLinkButton();
        };
        help.OnAbout();
    }

    FakeHelpLauncher launcher;
    std::string linkCaption;
};

TEST_F(HelpCommandsTest, LogoAndAboutLinkOpenTheSameWebAddress) {
    HelpCommands help(launcher, "book.htb", "https://belltide.example/");
    clickLogoAndLink(help);
    EXPECT_EQ(launcher.aboutBoxes, 1);
    EXPECT_EQ(launcher.addresses,
              (std::vector<std::string>{"https://belltide.example/", "https://belltide.example/"}));
    EXPECT_EQ(linkCaption, "https://belltide.example/");
    EXPECT_TRUE(launcher.booksLoaded.empty());
}

TEST_F(HelpCommandsTest, WithoutWebAddressLogoAndLinkOpenTheHelpStartPage) {
    HelpCommands help(launcher, "book.htb", "");
    clickLogoAndLink(help);
    EXPECT_TRUE(launcher.addresses.empty());
    EXPECT_EQ(launcher.pages,
              (std::vector<std::string>{HelpCommands::StartPage, HelpCommands::StartPage}));
    EXPECT_EQ(linkCaption, HelpCommands::HelpLinkCaption);
}

TEST_F(HelpCommandsTest, AFailedLoadIsNotTriedAgain) {
    launcher.bookLoads = false;
    HelpCommands help(launcher, "book.htb", "");
    help.OnHelp();
    help.OnLogo();
    help.OnHelp();
    EXPECT_EQ(launcher.booksLoaded.size(), 1u);
    EXPECT_TRUE(launcher.pages.empty());
}

} // namespace
