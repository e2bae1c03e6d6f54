#include "tables/database_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "common/fresh_tables.h"
#include "common/temp_folder.h"
#include "logproc/error_tables_fixture.h"

namespace lognex {
namespace {

using testing::MakeFreshTableFiles;
using testing::TempFolder;

TEST(NormaliseFolder, DropsOneTrailingSeparatorButKeepsRoots) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\", "C:\\"}, {"C:", "C:\\"},          {"C:\\Tools\\", "C:\\Tools"}, {"C:\\Tools", "C:\\Tools"},
        {"/", "/"},       {"/home/x/", "/home/x"}, {"/home/x", "/home/x"},       {"", ""},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(NormaliseFolder(input), expected) << input;
}

// Plays the user: each step optionally selects a folder, then confirms or
// cancels. Behaves like the real dialog towards the state.
class ScriptedDialog : public FolderDialog {
public:
    struct Step {
        std::optional<std::string> select;
        bool confirm = false;
        bool interrupted = false;  // the program is asked to end while it is open
    };
    struct Seen {
        std::string selectedFolder;
        std::string statusText;
        std::string reason;
    };

    explicit ScriptedDialog(std::vector<Step> steps) : steps_(std::move(steps)) {}

    bool Execute(FolderDialogState& state) override {
        if (seen.size() == steps_.size()) throw Error("the dialog was shown more often than scripted");
        const Step& step = steps_[seen.size()];
        seen.push_back({state.selectedFolder, state.statusText, state.reason});
        state.statusText = state.selectedFolder;
        if (step.select) {
            state.selectedFolder = *step.select;
            state.statusText = state.selectedFolder;
        }
        if (step.interrupted) throw FolderDialogInterrupted();
        return step.confirm;
    }

    std::vector<Seen> seen;

private:
    std::vector<Step> steps_;
};

TEST(BrowseForDatabaseFolder, CancelShowsTheDialogAgainAtTheLastSelection) {
    AliasRegistry aliases;
    aliases.AddAlias(kDatabaseAlias, "/old");
    ScriptedDialog dialog({{"/first", false}, {std::nullopt, false}, {"/chosen/", true}});
    BrowseForDatabaseFolder(aliases, dialog, "/start/");
    ASSERT_EQ(dialog.seen.size(), 3u);
    EXPECT_EQ(dialog.seen[0].selectedFolder, "/start");
    EXPECT_EQ(dialog.seen[0].statusText, "");  // the first showing has no status line
    EXPECT_EQ(dialog.seen[1].selectedFolder, "/first");
    EXPECT_EQ(dialog.seen[1].statusText, "/first");
    EXPECT_EQ(dialog.seen[2].selectedFolder, "/first");
    EXPECT_EQ(aliases.FolderOf(kDatabaseAlias), "/chosen");
}

// One start of the program: a registry read from the program folder and
// the start-up sequence, with the dialog scripted.
struct Start {
    Start(const TempFolder& program, std::vector<ScriptedDialog::Step> steps)
        : aliases(program / std::string(kAliasRegistryFileName)), tables(aliases), dialog(std::move(steps)) {
        outcome = OpenErrorTables(tables, dialog, program.Path().string(), &cause);
    }

    AliasRegistry aliases;
    ErrorTables tables;
    ScriptedDialog dialog;
    std::string cause;
    OpenTablesOutcome outcome;
};

class StartUpTest : public ::testing::Test {
protected:
    TempFolder program;
    TempFolder other;
};

TEST_F(StartUpTest, AbsentAliasNamesTheProgramFolder) {
    MakeFreshTableFiles(program.Path());
    {
        Start first(program, {});
        EXPECT_EQ(first.outcome, OpenTablesOutcome::Opened);
        EXPECT_EQ(first.aliases.FolderOf(kDatabaseAlias), program.Path().string());
    }
    // The next start finds the alias; a changed registry shows it is used.
    {
        AliasRegistry registry(program / std::string(kAliasRegistryFileName));
        registry.DeleteAlias(kDatabaseAlias);
        registry.AddAlias("EGERRORS", other.Path().string());
    }
    MakeFreshTableFiles(other.Path());
    Start second(program, {});
    EXPECT_EQ(second.outcome, OpenTablesOutcome::Opened);
    EXPECT_EQ(second.tables.database.Folder(), other.Path().string());
}

TEST_F(StartUpTest, BrokenAliasSendsTheUserToTheDialog) {
    MakeFreshTableFiles(other.Path());
    struct Case {
        const char* name;
        std::string aliasFolder;
    };
    const Case cases[] = {
        {"deleted folder", (program.Path() / "deleted").string()},
        {"folder without the files", program.Path().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(program / std::string(kAliasRegistryFileName));
        AliasRegistry(program / std::string(kAliasRegistryFileName)).AddAlias(kDatabaseAlias, c.aliasFolder);

        Start start(program, {{other.Path().string(), true}});
        EXPECT_EQ(start.outcome, OpenTablesOutcome::Opened);
        EXPECT_EQ(start.dialog.seen.size(), 1u);
        EXPECT_EQ(start.tables.database.Folder(), other.Path().string());
        start.tables.Open();
        EXPECT_TRUE(start.tables.exportRows.IsOpen());

        Start next(program, {});  // opens from the confirmed folder directly
        EXPECT_EQ(next.outcome, OpenTablesOutcome::Opened);
        EXPECT_EQ(next.tables.database.Folder(), other.Path().string());
    }
}

TEST_F(StartUpTest, ConfirmedFolderWithoutFilesGivesUp) {
    Start start(program, {{other.Path().string(), true}});
    EXPECT_EQ(start.outcome, OpenTablesOutcome::GaveUp);
    EXPECT_FALSE(start.tables.errorNames.IsOpen());
    EXPECT_EQ(start.aliases.FolderOf(kDatabaseAlias), other.Path().string());

    Start next(program, {{other.Path().string(), true}});  // the dialog again
    EXPECT_EQ(next.dialog.seen.size(), 1u);
    EXPECT_EQ(next.outcome, OpenTablesOutcome::GaveUp);
}

// A folder that fails for a while (locked by a second window, a file moved
// away) sends the user to the dialog; cancelling it and then ending the
// program leaves the registry as it was, so the next start opens the folder
// directly.
TEST_F(StartUpTest, TheAliasChangesOnlyWhenAFolderIsConfirmed) {
    testing::MakeFreshTableFiles(program.Path());
    const std::string registry = program / std::string(kAliasRegistryFileName);
    testing::WriteFile(registry, "# mine\nEgErrors=" + program.Path().string() + "\n");
    std::filesystem::rename(program / "ErrorName.ff2", program / "away.ff2");
    const auto interrupted = [&] {
        Start start(program, {{std::nullopt, false}, {other.Path().string(), false, true}});
    };
    EXPECT_THROW(interrupted(), FolderDialogInterrupted);
    EXPECT_EQ(testing::ReadFile(registry), "# mine\nEgErrors=" + program.Path().string() + "\n");
    std::filesystem::rename(program / "away.ff2", program / "ErrorName.ff2");
    Start next(program, {});
    EXPECT_EQ(next.outcome, OpenTablesOutcome::Opened);
    EXPECT_EQ(next.tables.database.Folder(), program.Path().string());
}

// The dialog says why it is shown, and giving up says what failed where,
// between the two sentences of the usual message.
TEST_F(StartUpTest, CausesReachTheDialogAndTheGivingUpMessage) {
    MakeFreshTableFiles(program.Path());
    std::filesystem::resize_file(program / "ErrorName.ff2", 0);
    std::filesystem::resize_file(program / "ErrorName.ff2", 8192);  // zeros: no database
    Start start(program, {{other.Path().string(), true}});
    ASSERT_EQ(start.dialog.seen.size(), 1u);
    EXPECT_EQ(start.dialog.seen[0].reason, (program / "ErrorName.ff2") + ": file is not a database");
    EXPECT_EQ(start.outcome, OpenTablesOutcome::GaveUp);
    EXPECT_EQ(start.cause, (other / "ErrorName.ff2") + ": Table does not exist.");
    EXPECT_EQ(NoDatabaseFilesText(start.cause),
              "The database files cannot be found.\r" + start.cause + "\rThe program will exit");
    EXPECT_EQ(NoDatabaseFilesText(""), kNoDatabaseFilesText);
}

}  // namespace
}  // namespace lognex
