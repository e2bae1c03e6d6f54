// Files written whole or not at all.
#pragma once

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>

namespace lognex {

// A whole-file write prepared but not yet put in place.
//
// The target is the file a path names once its symbolic links are followed
// (a link keeps pointing at the file it named; a dangling link gets that file
// created). A regular or missing target is written to a temporary file beside
// it (a short hidden name of its own, so any valid target name can be staged),
// flushed, and renamed over it on Commit, keeping an existing file's
// permission bits, so a failure never leaves a half-written file or destroys
// the previous one. Any other existing target (a device, a FIFO, ...) is not
// replaced: Commit writes the bytes into it directly; a FIFO that has no
// reader within 3 seconds fails (ENXIO) instead of waiting for ever. A folder, or an existing regular
// file this user may not write, is refused. Every failure throws
// std::system_error with the system's reason; callers turn it into their own
// message.
class PendingFile {
public:
    // Told the temporary file's path as soon as the file exists, before its
    // first byte, so a caller can arrange for its removal should the process
    // be ended while it is written.
    using StagingNotice = std::function<void(const std::filesystem::path& temporary)>;

    PendingFile(const std::filesystem::path& path, std::string_view bytes, const StagingNotice& staged = {});
    ~PendingFile();  // removes the temporary file unless committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void Commit();

    // The file Commit changes, links followed.
    const std::filesystem::path& Target() const { return target_; }
    // The temporary file beside the target; empty for a direct write or once committed.
    const std::filesystem::path& TemporaryPath() const { return temporary_; }
    bool Direct() const { return direct_; }

private:
    std::filesystem::path target_, temporary_;
    std::string bytes_;  // kept only for a direct write
    bool direct_ = false;
};

// A hidden name in folder drawn at random, ".lognex-" then eight hex digits
// then extension: short whatever the length of the name it stands beside.
inline std::filesystem::path HiddenNameIn(const std::filesystem::path& folder, std::string_view extension) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string name = ".lognex-";
    for (unsigned value = random(), i = 0; i < 8; ++i, value >>= 4) name += kDigits[value & 0xF];
    return folder / (name + std::string(extension));
}

// PendingFile(path, bytes).Commit().
void WriteFileWhole(const std::filesystem::path& path, std::string_view bytes);

// path with its symbolic links followed to the file they name, also when that
// file does not exist yet. Throws std::system_error (ELOOP) for a link cycle.
std::filesystem::path FollowLinks(const std::filesystem::path& path);
// The message for a file that cannot be written, "Cannot create file "%s".
// %s": path as the user should see it (the caller makes it absolute; it is
// converted to Windows-1252 here), then the reason, usually SystemErrorText.
std::string CannotCreateFileText(std::string_view path, std::string_view reason);

// The system's text for an errno value ("No such file or directory").
std::string SystemErrorText(int errorNumber);

}  // namespace lognex
