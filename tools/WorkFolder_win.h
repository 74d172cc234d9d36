#pragma once
// A private folder for one run's extractions: created fresh in the run
// directory under a name no other run uses, removed with its files when the
// run ends. Nothing a package holds ever lands in the run directory itself,
// where the helper tools are and where a planted file could be taken for one
// of them.
//
// A work folder is flat (the tools are told to drop an entry's folders) and
// holds a marker whose name carries the folder's own file ID. Removal, at the
// end of a run or at a later start, takes only a folder that still carries
// the marker of its own ID: a link, junction or copy planted under a work
// folder's name is left alone.
#include <string>

class WorkFolder {
 public:
  // Creates the folder; path() is empty when it could not be made.
  explicit WorkFolder(const std::string& runDirectory);
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  ~WorkFolder();

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Makes a new work folder at path: hidden, and holding its marker. False when
// it could not be made; GetLastError() is ERROR_ALREADY_EXISTS when the name
// is taken.
bool CreateWorkFolder(const std::string& path);

// Removes the work folders that runs of processes no longer running left in
// the run directory (a run cut short by the end of its process). Called at
// start.
void RemoveStaleWorkFolders(const std::string& runDirectory);

