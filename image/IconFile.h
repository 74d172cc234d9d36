#pragma once
// Icon files as a route hands them over.
#include "support/Bytes.h"

// An icon (.ico) file as a route hands it over: every image that reads,
// as stored, the one it shows best first: the largest (width x height, then
// bit depth, then the earlier entry). Empty bytes for a damaged or hostile
// file, or when that best image does not decode.
Bytes IconFileAsGroup(ByteSpan ico);
