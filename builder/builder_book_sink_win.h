#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "queue/book_sink.h"

namespace tamsolo {

// Search tries of the two watchers started around the click on the create button.
inline constexpr int32_t kConfirmationTries = 100;
inline constexpr int32_t kCompletionTries = 0;  // until the completion message shows

// The builder's main window, or null when the builder does not run.
HWND FindBuilderWindow();

// Whether the builder runs and shows the screen with a visible "add to list" button.
bool IsBuilderReady();

// Has the book builder create each book: clears its form, types the title and the author,
// feeds the pages through its open-file dialog in chunks and clicks create while watchers
// answer its confirmation and completion. Leaves the page files alone.
class BuilderBookSink final : public BookSink {
 public:
  void BuildBook(const std::string& currentBook, const std::vector<std::string>& pageList,
                 const std::string& workFolder) override;
};

// One chunk of quoted names through one open-file dialog: starts the watcher, then clicks the
// add-to-list button, which returns when the dialog has closed.
void AddPagesChunk(HWND addButton, const std::string& workFolder, const std::string& chunk);

}  // namespace tamsolo
