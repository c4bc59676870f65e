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

TEST(HelpBook, HoldsThePagesTheProgramOpensAndEveryEntryOpensAPage) {
    wxInitializer wx;
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    wxHtmlHelpData data;
    ASSERT_TRUE(data.AddBook(BELLTIDE_HELP_BOOK));
    const wxString book = wxFileSystem::FileNameToURL(wxFileName(BELLTIDE_HELP_BOOK)) + "#zip:";
    std::set<std::string> contents;
    for (const wxHtmlHelpDataItems* items : {&data.GetContentsArray(), &data.GetIndexArray()}) {
        for (std::size_t i = 0; i < items->size(); ++i) {
            const wxString page = (*items)[i].page.BeforeFirst('#');
            contents.insert(page.utf8_string());
            EXPECT_TRUE(std::unique_ptr<wxFSFile>(wxFileSystem().OpenFile(book + page))) << page;
        }
    }
    for (const char* page : HelpCommands::PagesOpened)
        EXPECT_TRUE(contents.count(page)) << page;
}
