#include <locale.h>

#include "archive/header_text.h"
#include "platform/error.h"

namespace tamsolo {
namespace {

// Made once: C.UTF-8 is built into the C library, so it cannot be missing.
locale_t Utf8Locale() {
  static const locale_t kLocale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (kLocale == static_cast<locale_t>(0))
    throw Error("The C.UTF-8 locale is missing");
  return kLocale;
}

}  // namespace

HeaderTextScope::HeaderTextScope() : saved_(uselocale(Utf8Locale())) {}

HeaderTextScope::~HeaderTextScope() {
  uselocale(static_cast<locale_t>(saved_));
}

}  // namespace tamsolo
