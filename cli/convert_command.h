#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tamsolo {

inline constexpr const char* kConvertUsageLine =
    "convert PATH... -o OUTDIR [--filter NAME|INDEX] [--memory-limit MIB] [--natural-order] "
    "[--no-archives] [--preview] [--quiet] [--jobs N] [--memory SIZE] [--clean[=STEPS]]";

// Queues every PATH as a drop would, converts until the last book is built and writes each
// book into a folder of its own under OUTDIR. Progress on err (unless --quiet), the summary
// on out. --natural-order sorts numbers by value; --preview draws each book's preview.png. Exit: 0
// all done, 1 a file gave no page or a book failed, 2 usage, 3 fatal, 130 after Ctrl-C.
int RunConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tamsolo
