// The built help book: every page the program opens is in it and every link inside it leads to a
// page of it.
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

    // Every page and picture a page or the contents links to, anchors aside, is in the book.
    const std::regex link("(?:href|src|\"Local\" value)=\"([^\"#:]+)[#\"]", std::regex::icase);
    int links = 0;
    for (const auto& [name, text] : files)
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it, ++links)
            EXPECT_TRUE(files.count((*it)[1].str())) << name << " links to missing " << (*it)[1];
    EXPECT_GT(links, 30);
}
