#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Files whose place anyone may fill with something else. A reader opens only a regular file
// and never waits on the open: a FIFO, a device or a folder where a file belongs is refused
// instead of hanging or flooding the program. A writer replaces a file whole without losing
// what the user decided about it.
namespace RegularFile {

enum class Kind {
    Missing,  // nothing there (or a path through something that is not a folder)
    Regular,  // a regular file, or a symlink to one
    Other     // a folder, FIFO, device, socket, a dangling symlink loop, or not inspectable
};

// What path names, symlinks followed, without opening it.
Kind KindOf(const std::string& path);

struct ReadResult {
    enum class Status { Ok, Missing, NotRegular, TooLarge, Failed };
    Status status = Status::Failed;
    std::string bytes;  // the whole content when Ok
    std::string error;  // why not, when not Ok

    bool Ok() const { return status == Status::Ok; }
};

// Reads all of a regular file of at most maxBytes bytes; a larger one is refused from its
// size, before anything is read.
ReadResult Read(const std::string& path, std::size_t maxBytes);

// Replaces the content of the file at path with bytes; an empty string on success, else why
// not. The file keeps its permission bits (a new one gets 0644); a symlink is written through
// to its target; a file without its owner's write permission is refused, whoever runs this.
// The new content is written beside the file under a temporary name and renamed over it, so
// that a crash leaves the old or the new content; where nothing can be made beside it (a
// read-only folder holding a writable file) the file is rewritten in place. beforeReplace,
// when set, runs with the written temporary file's path just before the rename.
//
// The temporary name is "." + the file's name + ".tivora-save." + six letters or digits, which
// no person gives a file. The temporary file stays locked (flock) while it has that name. After
// a successful replacement the temporary files of the same file that ended saves left behind
// are removed: those of this user older than this process and locked by nobody. Nothing else
// beside the file is touched.
std::string Replace(const std::string& path, const std::string& bytes,
                    const std::function<void(const std::string&)>& beforeReplace = {});

}  // namespace RegularFile
