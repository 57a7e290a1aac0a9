// The systems the benchmark runs on: the start form's default cloud with N stars.
#pragma once

#include "core/Store.h"

/// A run started as "OK" starts it, from the design defaults with n stars.
Store DefaultCloud(int n);
