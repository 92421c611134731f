#pragma once

#include <string>

#include "platform/paths.h"

namespace tamsolo {

// What a file's name says it is, as inputs are collected. A comic archive (.cbz .cbr .cb7
// .cbt) is read wherever it is found; a generic one (.zip .rar .7z .tar) only when named
// directly, so that a backup.zip lying among the scans adds no book. One part of a split
// archive (.part1.rar, .7z.001) cannot be read by itself and is refused by name.
enum class ArchiveName { None, Comic, Generic, Part };
ArchiveName ArchiveNameOf(const std::string& path, PathStyle style);

// The book title an archive gives: its file name without the extension.
std::string ArchiveTitle(const std::string& path, PathStyle style);

}  // namespace tamsolo
