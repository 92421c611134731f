#include "queue/page_chunks.h"

namespace tamsolo {

std::string ChunkEntry(const std::string& name) {
  return "\"" + name + "\" ";
}

std::vector<std::string> ChunkPageNames(const std::vector<std::string>& pageList, size_t limit) {
  std::vector<std::string> chunks;
  std::string chunk;
  for (const std::string& name : pageList) {
    const std::string entry = ChunkEntry(name);
    if (chunk.size() + entry.size() > limit) {
      if (!chunk.empty())
        chunks.push_back(std::move(chunk));
      chunk.clear();
    }
    chunk += entry;
  }
  if (!chunk.empty())
    chunks.push_back(std::move(chunk));
  return chunks;
}

}  // namespace tamsolo
