#pragma once

#include <string>
#include <vector>

#include "platform/paths.h"

namespace tamsolo {

// Two file names of one folder that the queue's byte order puts the wrong way round because
// their numbers are not padded: first sorts before second, though they differ only in their
// digit runs and second's are smaller ("10.jpg" before "2.jpg").
struct UnpaddedNumbers {
  std::string folder;  // the folder part of both paths
  std::string first;
  std::string second;
};

// One finding per folder whose files, as queued (paths in queue order), sort differently by
// byte and by natural order; folders in the order they first appear. The pair shown is the
// first name that has a smaller-numbered name after it, and the smallest such name.
std::vector<UnpaddedNumbers> FindUnpaddedNumbers(const std::vector<std::string>& paths,
                                                 PathStyle style);

}  // namespace tamsolo
