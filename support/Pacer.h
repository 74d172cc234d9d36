#pragma once
// Long work done in the program itself (reading and drawing an SVG icon)
// asks now and then whether it may go on, so an import the user cancels
// stops within moments. The question (keepGoing) may cost something (it
// dispatches the window's messages), so it is asked once every `askEvery`
// steps of work and not in between. Once it has said no, the answer stays
// no. An empty keepGoing never stops the work.
#include <cstddef>
#include <functional>

class Pacer {
 public:
  explicit Pacer(const std::function<bool()>& keepGoing, std::size_t askEvery = 1024)
      : keepGoing_(keepGoing), askEvery_(askEvery) {}
  Pacer(const Pacer&) = delete;
  Pacer& operator=(const Pacer&) = delete;

  // Counts `steps` more steps of work; false once keepGoing has said no.
  bool step(std::size_t steps = 1) {
    if (stopped_) return false;
    done_ += steps;
    if (done_ < askEvery_) return true;
    done_ = 0;
    stopped_ = keepGoing_ && !keepGoing_();
    return !stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  std::function<bool()> keepGoing_;
  std::size_t askEvery_;
  std::size_t done_ = 0;
  bool stopped_ = false;
};
