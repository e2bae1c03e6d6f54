#include "tables/alias_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "common/failure_message.h"
#include "common/temp_folder.h"
#include "logproc/error_tables_fixture.h"

namespace lognex {
namespace {

using ::testing::HasSubstr;
using testing::TempFolder;

TEST(AliasRegistry, NamesIgnoreCaseAndChangesSurviveARestart) {
    TempFolder folder;
    const std::string file = folder / "lognex-aliases.cfg";
    const std::string longFolder = "/data/" + std::string(300, 'f') + "/with = sign %0A and\nbreak";
    {
        AliasRegistry registry(file);
        EXPECT_FALSE(registry.IsAlias("EgErrors"));
        registry.AddAlias("EgErrors", longFolder);
        registry.AddAlias("Other", "/other");
        EXPECT_TRUE(registry.IsAlias("EGERRORS"));
        EXPECT_THAT(testing::FailureOf([&] { registry.AddAlias("egerrors", "/elsewhere"); }),
                    HasSubstr("Name not unique in this context."));
        registry.DeleteAlias("other");
        registry.DeleteAlias("NeverThere");  // no error
    }
    const AliasRegistry restarted(file);
    EXPECT_EQ(restarted.FolderOf("egErrors"), longFolder);  // stored whole
    EXPECT_FALSE(restarted.IsAlias("Other"));
}

TEST(AliasRegistry, UnwritableFileKeepsTheChangeForThisRun) {
    TempFolder folder;
    const std::string file = folder / "missing-subfolder/lognex-aliases.cfg";
    AliasRegistry registry(file);
    registry.AddAlias("EgErrors", "/somewhere");
    EXPECT_EQ(registry.FolderOf("EgErrors"), "/somewhere");
    EXPECT_FALSE(AliasRegistry(file).IsAlias("EgErrors"));
}

// Comments, lines that read as no alias and later lines of a name already
// read are not the registry's: a rewrite keeps them where they were. Only
// the lines of a deleted alias go, all of them, so none brings it back.
TEST(AliasRegistry, ARewriteKeepsTheLinesItDoesNotOwn) {
    TempFolder folder;
    const std::string file = folder / "lognex-aliases.cfg";
    testing::WriteFile(file,
                       "# mine: keep\r\nEgErrors=/old\r\nno equals sign\nOther=/first\nother=/second\n=empty name\n"
                       "EGERRORS=/shadowed\nlast line without a break");
    {
        AliasRegistry registry(file);
        EXPECT_EQ(registry.FolderOf("other"), "/first");
        registry.DeleteAlias("EgErrors");
        registry.AddAlias("EgErrors", "/new");
    }
    EXPECT_EQ(testing::ReadFile(file),
              "# mine: keep\r\nno equals sign\nOther=/first\nother=/second\n=empty name\n"
              "last line without a break\nEgErrors=/new\n");
    EXPECT_EQ(AliasRegistry(file).FolderOf("EgErrors"), "/new");

    const std::string fresh = folder / "fresh.cfg";
    AliasRegistry(fresh).AddAlias("EgErrors", "/tables");
    EXPECT_EQ(testing::ReadFile(fresh), "# Lognex database aliases: name=folder\nEgErrors=/tables\n");
}

// A large registry is read in one pass; one past any sane size, or one that
// is no regular file, is refused by name without being read (or waited on)
// and left as it is.
TEST(AliasRegistry, ReadsLargeRegistriesAndRefusesWhatIsNone) {
    TempFolder folder;
    const std::string many = folder / "many.cfg";
    std::string text;
    for (int i = 0; i < 40000; ++i) text += "Alias" + std::to_string(i) + "=/folder/" + std::to_string(i) + "\n";
    testing::WriteFile(many, text);
    const AliasRegistry registry(many);
    EXPECT_EQ(registry.FolderOf("alias0"), "/folder/0");
    EXPECT_EQ(registry.FolderOf("ALIAS39999"), "/folder/39999");

    const std::string huge = folder / "huge.cfg";
    testing::WriteFile(huge, "EgErrors=/x\n" + std::string(kMaxAliasRegistryBytes, '#'));
    std::filesystem::create_directory(folder / "folder.cfg");
    struct Case {
        std::string file, cause;
    } cases[] = {
        {huge, "It is larger than 1 MB, which no alias registry is"},
        {folder / "folder.cfg", "Is a directory"},
#ifndef _WIN32
        {folder / "fifo.cfg", "It is a FIFO (named pipe), not a regular file"},
#endif
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder / "fifo.cfg").c_str(), 0600), 0);
#endif
    for (const Case& c : cases) {
        EXPECT_EQ(testing::FailureOf([&] { AliasRegistry{c.file}; }),
                  "Cannot read the alias registry \"" + c.file + "\". " + c.cause);
    }
    EXPECT_EQ(testing::ReadFile(huge).size(), kMaxAliasRegistryBytes + 12);
}

}  // namespace
}  // namespace lognex
