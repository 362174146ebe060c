#pragma once

#include "platform/Regional.h"

#include <QLocale>

namespace evidor {

/// The user's regional formats from a Qt locale (the system's in the program).
RegionalSettings regionalFromLocale(const QLocale& locale);

} // namespace evidor
