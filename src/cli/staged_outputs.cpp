#include "cli/staged_outputs.h"

#include <system_error>

#include "cli/interrupt_cleanup.h"
#include "cli/report_paths.h"
#include "support/ansi_text.h"
#include "support/error.h"
#include "support/platform_files.h"

namespace lognex {
namespace {

namespace fs = std::filesystem;

std::string CannotCreateText(const std::string& target, int errorNumber) {
    return CannotCreateFileText(FullPath(target), SystemErrorText(errorNumber));
}

std::string Quoted(const fs::path& path) { return "\"" + PathToAnsi(FullPath(PathText(path))) + "\""; }

}  // namespace

StagedOutputs::~StagedOutputs() {
    for (Staged& s : staged_) {
        s.file.reset();  // removes a temporary still there
        UnregisterForRemoval(s.slot);
    }
}

void StagedOutputs::Add(const std::string& target, std::string_view bytes) {
    Staged s;
    s.target = target;
    // No signal may fall between the temporary's creation and its registration.
    InterruptsHeld held;
    try {
        s.file = std::make_unique<PendingFile>(target, bytes, [&](const fs::path& temporary) {
            s.slot = RegisterForRemoval(PathText(temporary), false);
            held.Release();
        });
    } catch (const std::system_error& failure) {
        UnregisterForRemoval(s.slot);  // the temporary is gone already
        throw Error(CannotCreateText(target, failure.code().value()));
    }
    held.Release();
    s.direct = s.file->Direct();
    staged_.push_back(std::move(s));
}

void StagedOutputs::KeepAside(Staged& s) {
    const fs::path& target = s.file->Target();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) return;  // a new file: nothing to keep
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path name = HiddenNameIn(target.parent_path(), ".old");
        if (AddNameIfAbsent(target, name)) {
            s.kept = name;
            return;
        }
        if (fs::exists(fs::symlink_status(name, ec))) continue;  // taken: draw again
        // No second name to be had (a file system without hard links, say):
        // the file itself moves aside until the new one is in place.
        RenameOver(target, name);
        s.kept = name;
        s.keptByMove = true;
        return;
    }
    throw std::system_error(EEXIST, std::generic_category());
}

std::vector<std::string> StagedOutputs::PutBack(std::size_t renamed) {
    std::vector<std::string> lost;
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        Staged& s = staged_[i];
        if (s.direct) continue;
        const bool replaced = i < renamed;
        try {
            if (!s.kept.empty() && (replaced || s.keptByMove)) {
                RenameOver(s.kept, s.file->Target());
            } else if (!s.kept.empty()) {
                fs::remove(s.kept);
            } else if (replaced) {
                fs::remove(s.file->Target());
            }
            s.kept.clear();
        } catch (const std::system_error& failure) {
            const std::string reason = " (" + SystemErrorText(failure.code().value()) + ")";
            if (s.kept.empty())
                lost.push_back(Quoted(s.target) + " was written" + reason);
            else if (replaced)
                lost.push_back(Quoted(s.target) + " was replaced; the previous file is " + Quoted(s.kept) + reason);
            else if (s.keptByMove)
                lost.push_back(Quoted(s.target) + " was moved to " + Quoted(s.kept) + reason);
            else
                lost.push_back(Quoted(s.kept) + " is a second name of " + Quoted(s.target) + " left over" + reason);
        }
    }
    return lost;
}

std::vector<std::string> StagedOutputs::Commit() {
    for (Staged& s : staged_) {
        if (!s.direct) continue;
        try {
            s.file->Commit();
        } catch (const std::system_error& failure) {
            throw Error(CannotCreateText(s.target, failure.code().value()));
        }
    }

    // Every output goes in place or none does; a signal waits for the outcome.
    InterruptsHeld held;
    const auto fail = [this](const Staged& s, int errorNumber, std::size_t renamed) {
        std::string message = CannotCreateText(s.target, errorNumber);
        for (const std::string& line : PutBack(renamed)) message += "\n" + line;
        return Error(message);
    };
    for (Staged& s : staged_) {
        if (s.direct) continue;
        try {
            KeepAside(s);
        } catch (const std::system_error& failure) {
            throw fail(s, failure.code().value(), 0);
        }
    }
    for (std::size_t i = 0; i < staged_.size(); ++i) {
        Staged& s = staged_[i];
        if (s.direct) continue;
        try {
            s.file->Commit();
        } catch (const std::system_error& failure) {
            throw fail(s, failure.code().value(), i);
        }
        UnregisterForRemoval(s.slot);
        s.slot = -1;
    }

    std::vector<std::string> leftOver;
    for (Staged& s : staged_) {
        if (s.kept.empty()) continue;
        std::error_code ec;
        if (!fs::remove(s.kept, ec) && ec)
            leftOver.push_back("the previous file " + Quoted(s.kept) + " of " + Quoted(s.target) +
                               " could not be removed (" + SystemErrorText(ec.value()) + ")");
        s.kept.clear();
    }
    return leftOver;
}

}  // namespace lognex
