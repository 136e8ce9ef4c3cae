#include "app/ScriptEditorModel.h"
#include "settings/SettingsTestSupport.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

using namespace pell;

namespace {

const std::string M = settings::TemplateStore::Marker;

struct Editor {
    test::TempFolder home;
    settings::SettingsFolder folder{home.folder()};
    settings::TemplateStore store;
    test::RecordingPrompts prompts;
    app::ScriptEditorModel model{store, folder, prompts};
    const std::string file = home.file("Template.dat");
    void save(const std::string& name, const std::string& body)
    {
        model.SetNameField(name);
        model.SetBodyText(body);
        model.Save();
    }
};

TEST(ScriptEditor, SaveChooseDeleteRoundTripThroughTemplateDat)
{
    Editor e;
    test::writeBytes(e.file, "kept \xE4 line\r\n\r\n");
    e.model.Create();
    e.save("greet", "hello all\r\n/away lunch\n#room\rlast");
    e.save("Beta", "");
    e.save("alpha", "one\n\n"); // its last, empty line is kept
    EXPECT_EQ(e.model.Names(), (std::vector<std::string>{"alpha", "Beta", "greet"}));
    const std::string first = "kept \xE4 line\r\n\r\n" + M + "\r\ngreet\r\nhello all\r\n/away lunch\r\n#room\r\nlast\r\n";
    const std::string last = M + "\r\nalpha\r\none\r\n\r\n";
    EXPECT_EQ(test::readBytes(e.file), first + M + "\r\nBeta\r\n" + last);
    e.model.Choose(0);
    EXPECT_EQ(e.model.NameField() + "|" + e.model.BodyText(), "alpha|one\n\n");
    e.model.Choose(1); // Beta, the middle one in the file
    e.model.Delete();
    EXPECT_EQ(test::readBytes(e.file), first + last);
    std::filesystem::remove(e.file); // nothing chosen: the file is written all the same
    e.model.Delete();
    EXPECT_EQ(test::readBytes(e.file), first + last);
    EXPECT_TRUE(e.prompts.errors.empty());
    std::filesystem::remove_all(e.home.path()); // a failed write keeps the change in memory
    e.save("new", "");
    EXPECT_EQ(e.prompts.errors.at(0).rfind("Cannot create file", 0), 0u);
    EXPECT_EQ(e.model.Names().size(), 3u);
}

// Table: tests/data/app/script-editor.txt.
TEST(ScriptEditor, SaveRefusesWhatWouldCorruptTheStoreAndCleansWhatItTakes)
{
    for (const auto& c : test::readCases("app/script-editor.txt")) {
        SCOPED_TRACE(c.name);
        Editor e;
        e.save("greet", "hi");
        e.save(c.one("name"), c.one("body"));
        EXPECT_EQ(settings::Lines(e.store.lines().begin() + 3, e.store.lines().end()), c.lines("added"));
        const std::string error = c.one("error");
        EXPECT_EQ(e.prompts.errors.empty() ? "" : e.prompts.errors.back().substr(0, error.size()), error);
    }
}

TEST(ScriptEditor, AnUnreadableTemplateDatIsNeverOverwritten)
{
    Editor e;
    std::filesystem::create_symlink("Template.dat", e.file); // a loop: stat fails, a rename would not
    e.model.Create();
    e.save("greet", "hi");
    EXPECT_EQ(e.prompts.errors.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_symlink(e.file));
    EXPECT_EQ(e.model.Names(), std::vector<std::string>{"greet"});
}

} // namespace
