// The built help book: every page the program opens is in it and every link inside it resolves.
#include "ui/HelpCommands.h"

#include <gtest/gtest.h>

#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/init.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

TEST(HelpBook, HoldsThePagesTheProgramOpensAndEveryLinkInsideResolves) {
    wxInitializer wx;
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    wxHtmlHelpData data;
    ASSERT_TRUE(data.AddBook(BELLTIDE_HELP_BOOK));
    std::set<std::string> contents;
    for (std::size_t i = 0; i < data.GetContentsArray().size(); ++i)
        contents.insert(data.GetContentsArray()[i].page.utf8_string());
    std::map<std::string, std::string> files;
    wxFileInputStream file(BELLTIDE_HELP_BOOK);
    wxZipInputStream zip(file);
    for (std::unique_ptr<wxZipEntry> entry(zip.GetNextEntry()); entry;
         entry.reset(zip.GetNextEntry())) {
        std::ostringstream text;
        char buffer[4096];
        while (zip.Read(buffer, sizeof buffer).LastRead() > 0)
            text.write(buffer, static_cast<std::streamsize>(zip.LastRead()));
        files[entry->GetName().utf8_string()] = text.str();
    }
    for (const char* page : HelpCommands::PagesOpened)
        EXPECT_TRUE(files.count(page) && contents.count(page)) << page;

    // Links and images of the pages, the pages of the contents, and the project's page list.
    const std::regex link("(?:href|src)=\"([^\"]*)\"|name=\"Local\" value=\"([^\"]*)\"|"
                          "^([\\w.-]+\\.html)\r?$",
                          std::regex::icase | std::regex::multiline);
    int links = 0;
    for (const auto& [name, text] : files) {
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            const std::string target =
                (*it)[1].matched ? (*it)[1].str() : ((*it)[2].matched ? (*it)[2] : (*it)[3]).str();
            if (target.starts_with("http:") || target.starts_with("https:"))
                continue;
            ++links;
            const auto hash = target.find('#');
            const std::string page = hash == 0 ? name : target.substr(0, hash);
            const bool found =
                files.count(page) &&
                (hash == std::string::npos ||
                 std::regex_search(files.at(page),
                                   std::regex("(name|id)=\"" + target.substr(hash + 1) + "\"")));
            EXPECT_TRUE(found) << name << " links to missing " << target;
        }
    }
    EXPECT_GT(links, 0);
}
