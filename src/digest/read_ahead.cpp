// The reading thread and its ring of buffers; see read_ahead.h.
#include "digest/read_ahead.h"

#include <unistd.h>

#include <cerrno>
#include <new>

namespace vandrel {

ReadAhead::ReadAhead(int descriptor, DigestReadFunction read, std::size_t chunkBytes)
    : descriptor_(descriptor),
      read_(read ? read : ::read),
      chunkBytes_(chunkBytes),
      stride_(WholePages(chunkBytes)),
      buffers_(MakeReadBuffer(stride_ * kReadAheadSlots)) {
  if (!buffers_) throw std::bad_alloc();
  reader_ = std::thread(&ReadAhead::readLoop, this);
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  spaceFree_.notify_all();
  if (reader_.joinable()) reader_.join();
}

bool ReadAhead::readerMayGoOn() const {
  return filled_ - returned_ <= kReadAheadSlots - kReadAheadSlots / 2;
}

ReadAhead::Chunk ReadAhead::next() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (returned_ < taken_) {
    ++returned_;
    if (readerMayGoOn()) spaceFree_.notify_one();
  }
  dataReady_.wait(lock, [this] { return filled_ > taken_; });
  const std::size_t at = static_cast<std::size_t>(taken_ % kReadAheadSlots);
  const Slot slot = slots_[at];
  // The last slot (end or error) stays where it is, so that asking again
  // gives the same answer instead of waiting for a reader that has ended.
  if (slot.size > 0) ++taken_;
  return Chunk{buffers_.get() + at * stride_, slot.size, slot.error};
}

void ReadAhead::readLoop() {
  for (;;) {
    std::uint64_t index = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // A full ring waits until half of it is free again, so that a slow
      // digest wakes the reader once every few chunks, not after each.
      if (filled_ - returned_ == kReadAheadSlots) {
        spaceFree_.wait(lock, [this] { return stop_ || readerMayGoOn(); });
      }
      if (stop_) return;
      index = filled_;
    }
    // The slot is the reader's alone until filled_ moves past it.
    const std::size_t at = static_cast<std::size_t>(index % kReadAheadSlots);
    ssize_t got = 0;
    do {
      got = read_(descriptor_, buffers_.get() + at * stride_, chunkBytes_);
    } while (got < 0 && errno == EINTR);
    const int error = got < 0 ? errno : 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slots_[at] = Slot{got > 0 ? static_cast<std::size_t>(got) : 0, error};
      ++filled_;
    }
    dataReady_.notify_one();
    if (got <= 0) return;
  }
}

}  // namespace vandrel
