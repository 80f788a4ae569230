#pragma once
// Writing a whole file so that it is replaced completely or not at all: the
// bytes go to a temporary file beside the target, are flushed to the disk and
// only then renamed over the target. A crash, a full disk or a write error
// leaves the old file as it was.
//
// The target's permissions are respected: a file that may not be written
// (no write permission for this user; root too leaves a file that nobody
// may write) is never replaced. A symbolic link is followed to the file it
// names, which is written; the link stays. The replacement keeps the file's
// mode, owner and group.
//
// Two cases cannot be atomic and are written in place instead (the file is
// overwritten and cut to its new length, so a failure part-way leaves it
// partly written; the failure is still reported): a file that may be
// written in a directory where no file may be made, and a file whose owner
// or group a new file could not be given.

#include <string>
#include <string_view>
#include <system_error>

namespace tonvale {

// Replaces the file at path by contents; an empty error code on success.
std::error_code writeFileAtomically(const std::string& path, std::string_view contents);

// What a save finds about its target (after following links).
struct SaveTarget {
    bool exists = false;
    // This user may write the file.
    bool writable = false;
    // A file may be made in its directory.
    bool directoryWritable = false;
    // A file made beside it can be given its owner and group.
    bool ownerKept = false;
};

enum class SaveMethod {
    Replace, // a temporary file beside the target renamed over it
    InPlace, // the target itself overwritten
    Refuse,  // the target may not be written
};

SaveMethod chooseSaveMethod(const SaveTarget& target);

enum class FileAccess { Read, Write };

// The message shown when a file could not be read or written: the file's
// name and the system's reason.
std::string fileErrorText(const std::string& path, const std::error_code& error, FileAccess access);

} // namespace tonvale
