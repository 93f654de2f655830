#pragma once

#include "platform/user_locale.h"

// Regional settings built by hand, so that tests, benchmarks and fuzzers do
// not depend on the machine's own.
namespace TestLocale {

UserLocale French();  // ",", "€", French months, dd/MM/yyyy
UserLocale English(); // ".", "$", English months, M/d/yyyy
UserLocale German();  // ",", "€", German months, dd.MM.yyyy

} // namespace TestLocale
