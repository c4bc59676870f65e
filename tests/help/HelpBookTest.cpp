// The built help book: the pages the program opens are in its contents, and every entry of the
// contents and the index opens a page of the book.
#include "ui/HelpCommands.h"

#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/init.h>

#include <memory>
#include <set>
#include <string>

TEST(HelpBook, HoldsThePagesTheProgramOpensAndEveryPageOfItOpens) {
    wxInitializer wx;
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    wxHtmlHelpData data;
    ASSERT_TRUE(data.AddBook(BELLTIDE_HELP_BOOK));
    const wxString book = wxFileSystem::FileNameToURL(wxFileName(BELLTIDE_HELP_BOOK)) + "#zip:";
    std::set<std::string> pages{"contents.hhc", "index.hhk"};
    for (const wxHtmlHelpDataItems* items : {&data.GetContentsArray(), &data.GetIndexArray()})
        for (std::size_t i = 0; i < items->size(); ++i)
            pages.insert((*items)[i].page.BeforeFirst('#').utf8_string());
    for (const char* page : HelpCommands::PagesOpened)
        EXPECT_TRUE(pages.count(page)) << page;
    for (const std::string& page : pages)
        EXPECT_TRUE(std::unique_ptr<wxFSFile>(wxFileSystem().OpenFile(book + page))) << page;
}
