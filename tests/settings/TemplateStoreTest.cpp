#include "settings/TemplateStore.h"

#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

using namespace pell::settings;
using namespace pell::test;

namespace {

const std::string M = TemplateStore::Marker;

TEST(TemplateStore, MarkerIsExact)
{
    EXPECT_EQ(M, "$$$&New Template$$$$&");
}

struct NamesCase {
    const char* what;
    Lines lines;
    std::vector<std::string> names;
};

TEST(TemplateStore, NamesAreTheLinesAfterEachMarker)
{
    const NamesCase cases[] = {
        {"empty", {}, {}},
        {"no marker", {"a", "b"}, {}},
        {"two leading lines then one template", {"x", "y", M, "greet", "JOIN #a"}, {"greet"}},
        {"marker as the last line", {M}, {}},
        {"marker first", {M, "one", "body", M, "two"}, {"one", "two"}},
        {"marker directly after a marker", {M, M, "n"}, {M, "n"}},
        {"case-different marker is a body line", {M, "a", "$$$&new template$$$$&", "b"}, {"a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TemplateStore(c.lines).names(), c.names) << c.what;
}

TEST(TemplateStore, BodyRunsToTheNextMarkerOrTheEnd)
{
    const TemplateStore store({"lead", M, "a", "JOIN #a", "PRIVMSG #a :hi", M, "empty", M, "b", "NICK x", M, "a", "dup"});
    EXPECT_EQ(store.body("a"), (Lines{"JOIN #a", "PRIVMSG #a :hi"})); // the first one named a
    EXPECT_EQ(store.body("empty"), Lines{});
    EXPECT_EQ(store.body("b"), Lines{"NICK x"});
    EXPECT_EQ(store.body("A"), std::nullopt); // exact, letter case included
    EXPECT_EQ(store.body("lead"), std::nullopt); // no marker before it
    EXPECT_EQ(store.body("JOIN #a"), std::nullopt);
}

TEST(TemplateStore, SortedNamesIgnoreCaseWhileTheStoreKeepsSaveOrder)
{
    TemplateStore store;
    store.append("beta", {});
    store.append("Alpha", {});
    store.append("gamma", {});
    store.append("alpha2", {});
    EXPECT_EQ(store.names(), (std::vector<std::string>{"beta", "Alpha", "gamma", "alpha2"}));
    EXPECT_EQ(store.sortedNames(), (std::vector<std::string>{"Alpha", "alpha2", "beta", "gamma"}));
}

TEST(TemplateStore, AppendWithEmptyBodyStoresMarkerAndNameOnly)
{
    TemplateStore store({"lead"});
    store.append("n", {});
    EXPECT_EQ(store.lines(), (Lines{"lead", M, "n"}));
    EXPECT_EQ(store.body("n"), Lines{});
}

TEST(TemplateStore, RemovingTheMiddleOfThreeKeepsTheOthersComplete)
{
    TemplateStore store({"lead"});
    store.append("one", {"1a", "1b"});
    store.append("two", {"2a"});
    store.append("three", {"3a", "3b"});
    EXPECT_TRUE(store.remove("two"));
    EXPECT_EQ(store.lines(), (Lines{"lead", M, "one", "1a", "1b", M, "three", "3a", "3b"}));
    EXPECT_FALSE(store.remove("two"));
    EXPECT_FALSE(store.remove("lead"));
    EXPECT_EQ(store.lines().size(), 9u);
}

TEST(TemplateStore, GoldenFileLoadsListsAndIsWrittenBackUnchanged)
{
    TempFolder temp;
    writeBytes(temp.file("Template.dat"), golden("sample/Template.dat"));
    const SettingsFolder folder(temp.folder());
    TemplateStore store;
    ASSERT_TRUE(store.load(folder));
    EXPECT_EQ(store.names(), (std::vector<std::string>{"greet", "empty"}));
    EXPECT_EQ(store.body("greet"), (Lines{"JOIN #a", "PRIVMSG #a :hi"}));
    store.save(folder);
    EXPECT_EQ(readBytes(temp.file("Template.dat")), golden("sample/Template.dat"));
}

TEST(TemplateStore, FileWithOtherLineEndsIsRewrittenWithCrLf)
{
    TempFolder temp;
    writeBytes(temp.file("Template.dat"), "lead\n" + M + "\rname\nbody");
    const SettingsFolder folder(temp.folder());
    TemplateStore store;
    store.load(folder);
    store.save(folder);
    EXPECT_EQ(readBytes(temp.file("Template.dat")), "lead\r\n" + M + "\r\nname\r\nbody\r\n");
}

TEST(TemplateStore, MissingFileLeavesTheStoreEmpty)
{
    TempFolder temp;
    TemplateStore store;
    EXPECT_FALSE(store.load(SettingsFolder(temp.folder())));
    EXPECT_TRUE(store.lines().empty());
}

} // namespace
