// One large-file reader per device; see device_gate.h.
#include "job_engine/device_gate.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "job_engine/job_engine.h"

namespace vandrel::engine {
namespace {

// mincore looks at a mapping; this much is mapped at a time, so a file
// larger than a 32-bit address space can still be looked at.
constexpr std::uint64_t kResidencyWindowBytes = 64ull * 1024 * 1024;
// One page in this many bytes is looked at, and stands for all of them:
// asking for every page walked the page cache once more for each file, a
// few per cent of a fast digest's time, and the system drops cached pages
// in runs much longer than this.
constexpr std::uint64_t kResidencySampleBytes = 256 * 1024;

}  // namespace

bool DeviceGate::enter(dev_t device, std::size_t index, const std::function<bool()>& stopped) {
  std::unique_lock<std::mutex> lock(mutex_);
  Device& state = devices_[device];
  state.waiting.insert(index);
  for (;;) {
    if (!state.busy && *state.waiting.begin() == index) {
      state.waiting.erase(index);
      state.busy = true;
      return true;
    }
    if (stopped()) {
      state.waiting.erase(index);
      if (!state.busy && state.waiting.empty()) devices_.erase(device);
      // The next waiter may be the one this entry kept out.
      changed_.notify_all();
      return false;
    }
    changed_.wait_for(lock, std::chrono::milliseconds(100));
  }
}

void DeviceGate::leave(dev_t device) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Device& state = devices_[device];
    state.busy = false;
    if (state.waiting.empty()) devices_.erase(device);
  }
  changed_.notify_all();
}

std::uint64_t UncachedBytes(int descriptor, std::uint64_t size, std::uint64_t enough) {
  const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  const std::uint64_t stride = std::max(page, kResidencySampleBytes);
  std::uint64_t uncached = 0;
  for (std::uint64_t at = 0; at < size && uncached < enough; at += kResidencyWindowBytes) {
    const std::uint64_t length = std::min(kResidencyWindowBytes, size - at);
    void* mapping =
        ::mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, static_cast<off_t>(at));
    if (mapping == MAP_FAILED) return size;
    for (std::uint64_t sample = 0; sample < length; sample += stride) {
      unsigned char resident = 0;
      if (::mincore(static_cast<char*>(mapping) + sample, page, &resident) != 0) {
        ::munmap(mapping, length);
        return size;
      }
      if ((resident & 1) == 0) uncached += std::min(stride, length - sample);
    }
    ::munmap(mapping, length);
  }
  return std::min(uncached, size);
}

bool IsLargeInput(const struct stat& status) {
  return S_ISBLK(status.st_mode) ||
         (S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) >= kLargeFileBytes);
}

}  // namespace vandrel::engine
