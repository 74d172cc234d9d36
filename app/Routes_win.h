#pragma once
// The input kinds the program takes: one row each. Adding a kind is a
// pipeline in its platform folder and a row here.
#include <span>

#include "app/FileRoute.h"

std::span<const InputRoute> InputRoutes();
