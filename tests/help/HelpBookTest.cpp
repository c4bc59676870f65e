// The built help book: the pages the program opens are in its contents, every entry of the
// contents and the index opens a page of the book, and the book speaks of the platform it was
// built for only.
#include "ui/HelpCommands.h"

#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/init.h>

#include <wx/stream.h>

#include <memory>
#include <set>
#include <string>

TEST(HelpBook, HoldsThePagesTheProgramOpensAndSpeaksOfItsOwnPlatformOnly) {
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
    std::string text; // the whole book
    for (const std::string& page : pages) {
        const std::unique_ptr<wxFSFile> file(wxFileSystem().OpenFile(book + page));
        ASSERT_TRUE(file) << page;
        for (char c; file->GetStream()->Read(&c, 1).LastRead() == 1;)
            text += c;
    }
    // Words of one platform's help only: the other's never show, nor the marks around them.
    std::set<std::string> own = {"%APPDATA%\\Belltide", "Windows Mobile Device Center",
                                 "Programs and Features", "Start menu", "Belltide.exe"},
                          other = {"XDG_DATA_HOME", "/usr/local", "bin/belltide", "On Linux",
                                   "file manager"};
#ifndef _WIN32
    own.swap(other);
#endif
    for (const auto& words : own)
        EXPECT_NE(text.find(words), std::string::npos) << words;
    for (const char* mark : {"<!--linux-->", "<!--/linux-->", "<!--windows-->", "<!--/windows-->"})
        other.insert(mark);
    for (const auto& words : other)
        EXPECT_EQ(text.find(words), std::string::npos) << words;
}
