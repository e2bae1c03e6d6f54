// The batch tool's output files, put in place all together or not at all.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_io.h"

namespace lognex {

// Output files prepared beside their targets first and put in place only
// when every one of them was prepared, so a failure changes no output file.
// Links are followed and devices or FIFOs written directly (PendingFile).
// Every staged file is registered for removal on interruption before its
// first byte is written.
class StagedOutputs {
public:
    StagedOutputs() = default;
    StagedOutputs(const StagedOutputs&) = delete;
    StagedOutputs& operator=(const StagedOutputs&) = delete;
    ~StagedOutputs();

    // Prepares bytes for target; throws Error "Cannot create file "%s". %s".
    void Add(const std::string& target, std::string_view bytes);

    // Puts every prepared file in place. The direct writes go first, as they
    // are the ones that may still fail (a full device, a FIFO nobody reads)
    // and cannot be taken back. Each file about to be replaced is then kept
    // under a second name until every rename has succeeded; when one fails,
    // the files replaced so far are put back and new ones removed, and the
    // Error thrown names the output that failed ("Cannot create file "%s".
    // %s") and, on lines of their own, any file that could not be put back
    // and where its previous content is. Returns a line for each left-over
    // second name that could not be removed after success.
    std::vector<std::string> Commit();

private:
    struct Staged {
        std::string target;
        std::unique_ptr<PendingFile> file;
        int slot = -1;
        bool direct = false;         // written into, not renamed over (a device, a FIFO)
        std::filesystem::path kept;  // the replaced file's second name, if any
        bool keptByMove = false;     // the target was moved there, not linked
    };

    void KeepAside(Staged& s);
    std::vector<std::string> PutBack(std::size_t renamed);

    std::vector<Staged> staged_;
};

}  // namespace lognex
