#pragma once

#include "platform/Result.h"

// Every call on the mail, calendar and contacts adapter can fail with a message.
using PimResult = Result;
template <typename T> using PimValue = ResultValue<T>;
