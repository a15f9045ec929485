// Keeps a storage device to one large-file reader at a time, so that a disk
// or SD card is read front to back instead of seeking between files while
// the cores share the digesting. Small files and files (nearly) all in memory
// do not pass the gate.
//
// Design: one mutex over a map of the devices being read. A waiting thread
// is let in when its device is free and no entry earlier in the list waits
// for it, so large files are read in list order and the oldest outcome,
// which the owner waits for, comes first. Waits wake every 100 ms to see
// whether the run was stopped.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>

namespace vandrel::engine {

class DeviceGate {
 public:
  // Waits until `device` is free for entry `index`; false (and the device
  // not taken) when `stopped` says so first. Engine threads.
  bool enter(dev_t device, std::size_t index, const std::function<bool()>& stopped);
  void leave(dev_t device);

 private:
  struct Device {
    bool busy = false;
    std::set<std::size_t> waiting;
  };
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<dev_t, Device> devices_;
};

// About how many of the open file's first `size` bytes are not in memory,
// so that reading them will touch its device (pages are sampled); counting
// stops once `enough` is reached. A file the system cannot tell about
// counts as wholly uncached. Any thread.
std::uint64_t UncachedBytes(int descriptor, std::uint64_t size, std::uint64_t enough);

// Whether reading this input should pass the gate: large regular files and
// block devices.
bool IsLargeInput(const struct stat& status);

}  // namespace vandrel::engine
