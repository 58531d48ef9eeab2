#pragma once
// The one way this program replaces a file's content. The new content goes to
// a temporary beside the target (an unpredictable mkstemp name that starts
// with ".NAME.travimo-"), is synced, renamed over the target and the
// directory synced: a reader, a crash or a full disk leaves the old file or
// the new one, never a part. On failure the temporary is removed; temporaries
// of the same target left by a crash are removed by its next successful save.
//
// Symbolic links: a link is written through (its target gets the content, the
// link stays) only where the kernel's protected-symlinks rule lets open()
// follow it: outside a sticky world-writable directory, or when the link
// belongs to the user or to that directory's owner. Otherwise, and for a
// dangling link, the save fails. A character device (/dev/null, a terminal)
// is written directly; a directory, FIFO, socket or block device is refused.
//
// Modes: a new file gets 0666 & ~umask; an existing file keeps its mode (and,
// where the process may, its owner).
//
// Errors: RuntimeError 61 when the disk or quota is full, 75 otherwise, the
// description naming the file and saying why.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace travimo::posix {

void ReplaceFileContent(const std::string& name, std::span<const uint8_t> bytes);
void ReplaceFileContent(const std::string& name, std::string_view text);

// Checks, without writing, that a save of name could go ahead: the links may
// be followed, the target is of a kind that can be saved, and its directory
// exists and is writable. Fails with the RuntimeError the save would give.
void CheckFileReplaceable(const std::string& name);

// The file a write to name reaches under the rules above: name itself or the
// end of its links, and whether that is a character device. Fails as a save
// would (75 naming the file). For files that are appended to, not replaced.
struct WriteTarget {
  std::string path;
  bool device = false;
};
WriteTarget ResolveWriteTarget(const std::string& name);

}  // namespace travimo::posix
