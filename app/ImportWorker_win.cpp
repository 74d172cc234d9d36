#include "app/ImportWorker_win.h"

#include <thread>
#include <utility>

#include "output/PictureStore.h"
#include "support/ScopedWin_win.h"

struct ImportWorker::Run {
  std::atomic<bool> cancel{false};
  UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set once the run has ended
  std::thread thread;
  bool ended() const { return !done || WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0; }
};

namespace {

// The work of one run, on its own thread.
void TakeInEach(const PipelineContext& context, const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                const ImportWorker::Deliver& deliver) {
  for (std::size_t i = 0; i < paths.size() && !cancel; ++i) {
    PipelineContext one = context;
    for (std::size_t j = 0; j < paths.size(); ++j) {
      if (j != i) one.companions.push_back(paths[j]);
    }
    ImportOutcome outcome = TakeIn(one, paths[i], &cancel);
    // Cancelled: what the file gave is of no use, and nothing after it is read.
    if (cancel) break;
    if (deliver) deliver(std::move(outcome));
  }
}

}  // namespace

ImportWorker::~ImportWorker() {
  cancel();
  wait();
  if (last_ && last_->thread.joinable()) last_->thread.join();
}

void ImportWorker::start(const PipelineContext& context, std::vector<std::string> paths, Deliver deliver,
                         Finished finished) {
  // One import at a time: the one under way is told to end, and the new one
  // waits for it on its own thread, so the caller never waits.
  std::shared_ptr<Run> previous = std::move(last_);
  if (previous) previous->cancel = true;
  auto run = std::make_shared<Run>();
  last_ = run;
  run->thread = std::thread([run = run.get(), previous = std::move(previous), context, paths = std::move(paths),
                             deliver = std::move(deliver), finished = std::move(finished)]() mutable {
    if (previous) {
      if (previous->thread.joinable()) previous->thread.join();
      previous.reset();
    }
    TakeInEach(context, paths, run->cancel, deliver);
    if (finished) finished();
    if (run->done) SetEvent(run->done.get());
  });
}

bool ImportWorker::cancel() {
  if (!last_ || last_->ended()) return false;
  last_->cancel = true;
  return true;
}

bool ImportWorker::wait(DWORD timeoutMs) {
  if (!last_) return true;
  // The last run ends only after every earlier one has.
  if (!last_->done) {
    if (timeoutMs != INFINITE) return false;
    if (last_->thread.joinable()) last_->thread.join();
    return true;
  }
  return WaitForSingleObject(last_->done.get(), timeoutMs) == WAIT_OBJECT_0;
}

IconReason DispatchFile(const PipelineContext& context, PictureStore& picture, const std::string& path) {
  std::vector<ImportOutcome> outcomes;
  picture.beginRun();
  {
    ImportWorker worker;
    worker.start(context, {path}, [&outcomes](ImportOutcome outcome) { outcomes.push_back(std::move(outcome)); }, {});
    worker.wait();
  }
  picture.endRun();
  if (outcomes.empty()) return IconReason::None;
  ShowOutcome(picture, outcomes.front());
  return outcomes.front().reason;
}
