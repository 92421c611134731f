#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "book/book_page.h"

namespace tamsolo {

// A book for a reader, as plan prints it and preview.txt holds it: a heading with the title
// and the page count, then the pages in book order, two to a facing pair (the first of a pair
// is the right-hand page), each with its position (from 1, as the book folder's numbered
// files), its page file and its source; then the spreads that fall across two pairs. A page
// whose mark is set gets a "?" after its source. Control bytes in names are shown escaped, as
// on the terminal.
void WriteBookListing(const std::string& title, const std::vector<BookPage>& pages,
                      const std::vector<bool>& marked, std::ostream& out);

}  // namespace tamsolo
