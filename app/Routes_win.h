#pragma once
// The input kinds the program takes: one row each. Adding a kind is a
// pipeline in extract/ and a row here.
#include <span>

#include "extract/FileRoute.h"

std::span<const InputRoute> InputRoutes();
