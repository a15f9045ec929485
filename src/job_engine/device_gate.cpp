// One large-file reader per device; see device_gate.h.
#include "job_engine/device_gate.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "job_engine/job_engine.h"

namespace vandrel::engine {
namespace {

// mincore looks at a mapping; this much is mapped at a time, so a file
// larger than a 32-bit address space can still be looked at.
constexpr std::uint64_t kResidencyWindowBytes = 64ull * 1024 * 1024;

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
  std::vector<unsigned char> resident;
  std::uint64_t uncached = 0;
  for (std::uint64_t at = 0; at < size && uncached < enough; at += kResidencyWindowBytes) {
    const std::uint64_t length = std::min(kResidencyWindowBytes, size - at);
    void* mapping =
        ::mmap(nullptr, length, PROT_READ, MAP_SHARED, descriptor, static_cast<off_t>(at));
    if (mapping == MAP_FAILED) return size;
    resident.assign((length + page - 1) / page, 0);
    const bool known = ::mincore(mapping, length, resident.data()) == 0;
    ::munmap(mapping, length);
    if (!known) return size;
    for (const unsigned char flags : resident) {
      if ((flags & 1) == 0) uncached += page;
    }
  }
  return std::min(uncached, size);
}

bool IsLargeInput(const struct stat& status) {
  return S_ISBLK(status.st_mode) ||
         (S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) >= kLargeFileBytes);
}

}  // namespace vandrel::engine
