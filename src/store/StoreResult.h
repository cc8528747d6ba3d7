#pragma once

#include "platform/Result.h"

// The outcome of a single-record write: success, or a message that names the file and the cause.
using StoreResult = Result;
