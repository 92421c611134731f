#pragma once

#include <ostream>

#include "book/book_plan.h"

namespace tamsolo {

// The plan for a reader: each book with its pages in order, two to a facing pair (the first
// of a pair is the right-hand page), their page files and sources; then the files that give
// no page, the ignored paths and the warnings.
void WritePlanText(const BookPlan& plan, PathStyle style, std::ostream& out);

// The same as one JSON object: {"books": [{"title", "pages": [{"position", "name", "blank"} or
// {"position", "name", "source", "path", "v", "n", "ifDataDecodes"}], "pairs"}], "noPages":
// [{"path", "reason"}], "ignored", "warnings"}. Positions count from 1, as the numbered page
// files of a book folder do.
void WritePlanJson(const BookPlan& plan, PathStyle style, std::ostream& out);

}  // namespace tamsolo
