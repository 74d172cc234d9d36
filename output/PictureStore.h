#pragma once
// The one store of the current icon: the image-file bytes exactly as a
// pipeline handed them over. Every output (save, copy, drag) reads these
// bytes; the picture control only draws them. Kept apart from the control so that pipelines and tests run
// without a window.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "support/Bytes.h"
#include "tools/IconReason.h"

class PictureStore {
 public:
  using Listener = std::function<void()>;

  // Empty bytes clear the picture. source: the file it was taken from.
  void setPicture(Bytes bytes, std::string source = {}) {
    picture_ = std::move(bytes);
    chosenImage_ = 0;
    source_ = picture_.empty() ? std::string() : std::move(source);
    reason_ = IconReason::None;
    ++pictureChanges_;
    notify();
  }
  // No picture, and why (with what the reason names, when it names
  // something): the box says so in its place.
  void setReason(IconReason reason, ReasonSubject subject = {}) {
    setPicture({});
    reason_ = reason;
    reasonSubject_ = std::move(subject);
    notify();
  }
  IconReason reason() const { return reason_; }
  const ReasonSubject& reasonSubject() const { return reasonSubject_; }
  // A word on a file that was not taken in at all (the picture stays): the
  // box shows it for a moment. Each call counts, so the same word twice is
  // shown twice.
  void announce(IconReason reason, ReasonSubject subject = {}) {
    notice_ = reason;
    noticeSubject_ = std::move(subject);
    ++notices_;
    notify();
  }
  IconReason notice() const { return notice_; }
  const ReasonSubject& noticeSubject() const { return noticeSubject_; }
  std::uint64_t notices() const { return notices_; }

  // A run is under way (runs nest: a drop during a run starts another).
  void beginRun() {
    ++runs_;
    notify();
  }
  void endRun() {
    if (runs_ > 0) --runs_;
    notify();
  }
  bool running() const { return runs_ > 0; }
  const Bytes& picture() const { return picture_; }
  const std::string& source() const { return source_; }
  bool hasPicture() const { return !picture_.empty(); }
  // How many times the picture has been set; tells a caller whether anything
  // set it while it waited.
  std::uint64_t pictureChanges() const { return pictureChanges_; }

  // Which image of an icon group the box shows and the outputs take (save
  // as PNG, copy, drag): its place among the group's images
  // (output/SizeChoice.h). Each new picture starts at 0, the image shown
  // best; saving as an icon file always writes the whole group.
  void chooseImage(std::size_t image) {
    if (image == chosenImage_) return;
    chosenImage_ = image;
    notify();
  }
  std::size_t chosenImage() const { return chosenImage_; }

  // Called after every change; the picture control repaints from it.
  void setListener(Listener listener) { listener_ = std::move(listener); }

 private:
  void notify() { if (listener_) listener_(); }

  Bytes picture_;
  std::string source_;
  IconReason reason_ = IconReason::None;
  ReasonSubject reasonSubject_;
  IconReason notice_ = IconReason::None;
  ReasonSubject noticeSubject_;
  std::uint64_t notices_ = 0;
  int runs_ = 0;
  std::uint64_t pictureChanges_ = 0;
  std::size_t chosenImage_ = 0;
  Listener listener_;
};
