#pragma once
// Wildcards in command-line inputs. The Windows shell hands "*.ipa" to a
// program as typed; the program expands it itself.
#include <string>
#include <vector>

// Each input with * or ? in its file name stands for the files and folders
// that match it, in name order; one that matches nothing stays as it is (and
// is then reported as unreadable). Wildcards in folder names are not
// expanded.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& inputs);
