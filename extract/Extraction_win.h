#pragma once
// Extracting one archive entry into the run directory with a helper tool, the
// way the Android and iOS pipelines both do it.
#include <string>

#include "extract/Pipeline.h"
#include "support/Bytes.h"

// The local path an entry lands on when a tool extracts it without its
// folders, or empty when the entry's name fails the guard (nothing may then
// be run or read for it).
std::string ExtractionTarget(const PipelineContext& context, const std::string& entry, const std::string& separator);

// Removes a stale file at target, runs the extract command (which writes
// target), and returns the extracted bytes: empty when the file is missing or
// larger than 64 MiB. The file stays for the caller to delete.
Bytes RunExtraction(const std::string& command, const std::string& target);
