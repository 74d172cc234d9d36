#pragma once
// Imports run here, one at a time, each on a thread of its own, so that no
// file, however slow or hostile, keeps the window from answering. The window
// (or the command line) only starts an import and takes what it gives; the
// picture itself is set by whoever receives the outcomes.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Intake_win.h"
#include "tools/Pipeline.h"

class PictureStore;

class ImportWorker {
 public:
  // Called on the import's thread for each file, in the order given, as
  // soon as it is read; never for files read after a cancel.
  using Deliver = std::function<void(ImportOutcome)>;
  // Called on the import's thread once, last, however the import ended.
  using Finished = std::function<void()>;

  ImportWorker() = default;
  ~ImportWorker();
  ImportWorker(const ImportWorker&) = delete;
  ImportWorker& operator=(const ImportWorker&) = delete;

  // Cancels the import under way, if any, and starts this one, which
  // begins once the other has ended. Each file is given the others as
  // its companions.
  void start(const PipelineContext& context, std::vector<std::string> paths, Deliver deliver, Finished finished);
  // Cancels the import under way; false when none was.
  bool cancel();
  // Waits for every import started to end, at most timeoutMs; true when
  // they did.
  bool wait(DWORD timeoutMs = INFINITE);

 private:
  struct Run;
  std::shared_ptr<Run> last_;
};

// One file taken in on an import's thread, as the window would take it,
// waiting for the end: for the command line and tests. Returns the reason
// (IconReason::None: an icon).
IconReason DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path);
