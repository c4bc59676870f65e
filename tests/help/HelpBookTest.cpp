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

    std::string text;
    for (const char* page : {"index.html", "window.html", "sounds.html", "formats.html",
                             "themes.html", "transfers.html", "handheld.html", "files.html",
                             "messages.html", "contents.hhc", "index.hhk"}) {
        const std::unique_ptr<wxFSFile> file(wxFileSystem().OpenFile(book + page));
        ASSERT_TRUE(file) << page;
        for (char c; file->GetStream()->Read(&c, 1).LastRead() == 1;)
            text += c;
    }
    const std::string windowsWords[] = {"%APPDATA%\\Belltide", "Windows Mobile Device Center",
                                        "Programs and Features", "Start menu", "Belltide.exe"};
    const std::string linuxWords[] = {"XDG_DATA_HOME", "/usr/local", "bin/belltide", "On Linux",
                                      "file manager"};
#ifdef _WIN32
    const auto& present = windowsWords;
    const auto& absent = linuxWords;
#else
    const auto& present = linuxWords;
    const auto& absent = windowsWords;
#endif
    for (const std::string& words : present)
        EXPECT_NE(text.find(words), std::string::npos) << "missing: " << words;
    for (const std::string& words : absent)
        EXPECT_EQ(text.find(words), std::string::npos) << "for the other platform: " << words;
    for (const char* mark : {"<!--linux-->", "<!--/linux-->", "<!--windows-->", "<!--/windows-->"})
        EXPECT_EQ(text.find(mark), std::string::npos) << mark;
}
