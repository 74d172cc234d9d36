#pragma once
// Finding a Windows app package's files among the entries of its archive
// listing (tools/ArchiveListing.h), and choosing among the files a logo
// resource name stands for.
//
// A package stores its entry names percent-encoded ("My%20Logo.png" for
// "My Logo.png"), and the 7-Zip console lists and extracts them as stored.
// Names are matched decoded, ignoring ASCII letter case and whether '/' or
// '\' separates folders, as Windows resolves them; the entry found keeps its
// stored path, which is the one the tool takes back. Texts are UTF-8.
#include <string>
#include <string_view>
#include <vector>

#include "tools/ArchiveListing.h"

// The stored name with its %XX escapes decoded; a '%' without two hex digits
// after it stays as it is.
std::string PercentDecoded(std::string_view stored);

// The entry whose decoded path is name, or nullptr.
const ArchiveEntry* FindPackageEntry(const std::vector<ArchiveEntry>& entries, std::string_view name);

// Among the files a logo resource name stands for, the one to show, or
// nullptr when it stands for none. A file stands for "Assets\Logo.png" when
// taking out its qualifiers gives that name: qualifiers may end the file
// name's stem ("Assets\Logo.scale-200.png", "Logo.targetsize-48_altform-
// unplated.png") or make up whole folders ("Assets\scale-200\Logo.png").
// High-contrast, theme, light-unplated and other alternate-form variants are
// never chosen; language and other qualifiers do not count. The
// choice, first rule that has a file: the largest target size of the
// unplated variants, the largest plain target size, the largest scale, the
// unqualified name. A tie goes to the earlier entry.
const ArchiveEntry* ChooseLogoEntry(const std::vector<ArchiveEntry>& entries, std::string_view resourceName);

// The choice for the first of the resource names (in the order the manifest
// reader gives them) that stands for any file.
const ArchiveEntry* ChooseAppxIconEntry(const std::vector<ArchiveEntry>& entries,
                                        const std::vector<std::string>& resourceNames);
