#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace tamsolo {

// What a name holds, a link at the name itself not followed (on Windows any reparse point
// counts as a link).
enum class EntryType { Missing, RegularFile, Link, Folder, Other };
EntryType EntryTypeOf(const std::string& path);

// Whether the path, links followed, leads to a FIFO or a character device (a terminal,
// /dev/null; on Windows a console, NUL or a pipe): something written to, never replaced.
bool IsStreamDevice(const std::string& path);

// A key naming the file itself (device and inode; volume and file index), equal for every
// name of it (hard links, "..", letter case); nullopt when nothing has the name.
std::optional<std::string> FileIdentity(const std::string& path);

// Renames a file onto another name, replacing the file there in one step; throws SystemError.
void RenameReplacing(const std::string& from, const std::string& to);

// Writes an output the user asked for so that nothing else is lost: a regular file at the
// name is replaced, anything else there (a link, a folder, a FIFO, a device) is refused. The
// bytes go to a new file beside it that is renamed into place once written, so a failed write
// leaves the old file. With StreamDevices::Written a FIFO or character device the path leads
// to (links followed: /dev/stdout) is written to instead, and refused at once when no process
// reads the FIFO. Throws Error naming the path and the reason.
enum class StreamDevices { Refused, Written };
void ReplaceRegularFile(FileSystem& fileSystem, const std::string& path,
                        std::initializer_list<std::span<const uint8_t>> parts,
                        StreamDevices devices, PathStyle style);

}  // namespace tamsolo
