#include "tables/alias_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/failure_message.h"
#include "common/temp_folder.h"

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

}  // namespace
}  // namespace lognex
