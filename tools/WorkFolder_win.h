#pragma once
// A private folder for one run's extractions: created fresh in the run
// directory under a name no other run uses, removed with everything in it
// when the run ends. Nothing a package holds ever lands in the run directory
// itself, where the helper tools are and where a planted file could be taken
// for one of them.
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

// Removes the work folders that runs of processes no longer running left in
// the run directory (a run cut short by the end of its process). Called at
// start.
void RemoveStaleWorkFolders(const std::string& runDirectory);

// Removes a folder and everything in it. Links inside are removed, never
// followed.
void RemoveFolderTree(const std::string& folder);
