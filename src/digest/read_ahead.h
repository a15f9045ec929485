// Reads a descriptor on a second thread, a few chunks ahead of the digest.
// On a file in the page cache, copying the bytes out of the kernel costs
// about as much CPU time as a fast digest (CRC-32, SHA-1 or SHA-256 with the
// CPU's instructions), so letting one thread copy while the other digests
// nearly halves the wall time on a machine with two cores or more.
//
// Design: one reading thread and one consumer share a ring of kReadAheadSlots
// buffers under one mutex. The reader fills the next free slot and stops at
// the end of the input, at the first error, or when the consumer goes away;
// the consumer owns the slot it was last given until it asks for the next.
// The destructor stops the reader after its current read and joins it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "digest/digest_engine.h"
#include "digest/read_buffer.h"

namespace vandrel {

inline constexpr std::size_t kReadAheadSlots = 8;

class ReadAhead {
 public:
  // One read's result: `size` bytes at `data`; size 0 with error 0 is the
  // end of the input, error is the errno of a failed read (never EINTR,
  // which the reader retries).
  struct Chunk {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int error = 0;
  };

  // Starts reading `descriptor` with `read` in requests of `chunkBytes`.
  // Throws std::bad_alloc or std::system_error when the buffers or the
  // thread cannot be had; nothing has been read then.
  ReadAhead(int descriptor, DigestReadFunction read, std::size_t chunkBytes);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Waits for the next chunk, in the order of the reads. Hands the previous
  // chunk's buffer back to the reader, so its data is gone after this call.
  // Consumer thread only.
  Chunk next();

 private:
  struct Slot {
    std::size_t size = 0;
    int error = 0;
  };

  void readLoop();  // the reading thread
  // Whether a reader that found the ring full may fill again. mutex_ held.
  bool readerMayGoOn() const;

  const int descriptor_;
  const DigestReadFunction read_;
  const std::size_t chunkBytes_;  // what each read asks for
  const std::size_t stride_;      // from one buffer to the next, whole pages
  ReadBuffer buffers_;
  Slot slots_[kReadAheadSlots];

  std::mutex mutex_;
  std::condition_variable dataReady_;  // the consumer waits on it
  std::condition_variable spaceFree_;  // the reader waits on it
  // Counts of slots ever filled, handed out and given back; slot i is
  // buffers_ + (i % kReadAheadSlots) * stride_. Guarded by mutex_.
  std::uint64_t filled_ = 0;
  std::uint64_t taken_ = 0;
  std::uint64_t returned_ = 0;
  bool stop_ = false;
  std::thread reader_;  // last, so it starts after everything it reads
};

}  // namespace vandrel
