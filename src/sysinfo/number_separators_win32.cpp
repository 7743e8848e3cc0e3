#include <windows.h>

#include "base/text_win32.h"
#include "sysinfo/cpu_library.h"

namespace kvn {

// The decimal and thousands separators of the user's number format; the English ones when the
// locale cannot be read.
NumberSeparators UserNumberSeparators() {
  NumberSeparators separators;
  wchar_t buffer[8];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0)
    separators.Decimal = Narrow(buffer);
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8) > 0)
    separators.Thousand = Narrow(buffer);
  return separators;
}

}  // namespace kvn
