#pragma once
// What a Linux package says of itself and of the packages it needs: a
// .deb's control file, an .rpm's header. An application's icon is often in
// its data package (gimp's in gimp-data), which it depends on.
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

struct PackageRelations {
  std::string name;    // "gimp"
  std::string source;  // the source package's name, when the package says it
  // The packages it depends on, must have first, or recommends: names
  // only, versions, architectures and alternatives' bars taken off.
  std::vector<std::string> needs;
};

// A .deb's control file: Package, Source, Pre-Depends, Depends, Recommends.
PackageRelations ReadDebControl(std::string_view control);

// An .rpm's main header: its name, its source rpm's name and Requires.
// Empty when the header cannot be read.
PackageRelations ReadRpmHeader(ByteSpan file);

// The package among those needed that holds the application's data: a
// name that starts with the package's own name or its source's and ends in
// "-data" or "-common" ("gimp-data", "kate5-data", "libreoffice-common"),
// the own or source name with "-data", then with "-common", first. Empty
// when there is none.
std::string DataSibling(const PackageRelations& relations);

// A name of the kind DataSibling looks for: "...-data" or "...-common".
bool IsDataPackageName(std::string_view name);
