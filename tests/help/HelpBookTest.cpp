// The built help book: every page the program opens is in it and every link inside it resolves.
#include "ui/HelpCommands.h"

#include <gtest/gtest.h>

#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/init.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

class HelpBook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_wx = std::make_unique<wxInitializer>();
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        wxFileInputStream file(BELLTIDE_HELP_BOOK);
        ASSERT_TRUE(file.IsOk()) << BELLTIDE_HELP_BOOK;
        wxZipInputStream zip(file);
        for (std::unique_ptr<wxZipEntry> entry(zip.GetNextEntry()); entry;
             entry.reset(zip.GetNextEntry())) {
            std::ostringstream text;
            char buffer[4096];
            while (zip.Read(buffer, sizeof buffer).LastRead() > 0)
                text.write(buffer, static_cast<std::streamsize>(zip.LastRead()));
            s_files[entry->GetName().utf8_string()] = text.str();
        }
    }
    static void TearDownTestSuite() {
        s_files.clear();
        s_wx.reset();
    }

    static bool hasAnchor(const std::string& page, const std::string& anchor) {
        const std::regex named("(name|id)=\"" + anchor + "\"");
        return std::regex_search(s_files.at(page), named);
    }

    static inline std::unique_ptr<wxInitializer> s_wx;
    static inline std::map<std::string, std::string> s_files;
};

TEST_F(HelpBook, HoldsEveryPageTheProgramOpensAndLoadsInTheViewersData) {
    wxHtmlHelpData data;
    ASSERT_TRUE(data.AddBook(BELLTIDE_HELP_BOOK));
    std::set<std::string> contents;
    const wxHtmlHelpDataItems& items = data.GetContentsArray();
    for (std::size_t i = 0; i < items.size(); ++i)
        contents.insert(items[i].page.utf8_string());
    for (const char* page : HelpCommands::PagesOpened) {
        EXPECT_TRUE(s_files.count(page)) << page;
        EXPECT_TRUE(contents.count(page)) << page << " is not in the contents";
    }
}

TEST_F(HelpBook, EveryLinkInsideTheBookResolves) {
    const std::regex link("(?:href|src)=\"([^\"]*)\"|name=\"Local\" value=\"([^\"]*)\"",
                          std::regex::icase);
    const std::regex listed("^[\\w.-]+\\.html$");
    int links = 0;
    for (const auto& [name, text] : s_files) {
        // The project file lists its pages one a line.
        if (name.ends_with(".hhp")) {
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);)
                if (std::regex_match(line, listed)) {
                    EXPECT_TRUE(s_files.count(line)) << name << " lists missing " << line;
                }
            continue;
        }
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            const std::string target = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
            if (target.starts_with("http:") || target.starts_with("https:"))
                continue;
            ++links;
            const auto hash = target.find('#');
            const std::string page = hash == 0 ? name : target.substr(0, hash);
            if (!s_files.count(page)) {
                ADD_FAILURE() << name << " links to missing " << target;
                continue;
            }
            if (hash != std::string::npos) {
                EXPECT_TRUE(hasAnchor(page, target.substr(hash + 1)))
                    << name << " links to missing anchor " << target;
            }
        }
    }
    EXPECT_GT(links, 0);
}

} // namespace
