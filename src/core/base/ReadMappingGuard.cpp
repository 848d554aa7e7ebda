#include "base/ReadMappingGuard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace nv {
namespace {

// One guarded range. `state` orders the fields: a slot is claimed (1) while
// it is being filled and live (2) once start and bytes are there.
struct Slot {
  std::atomic<int> state{0};  // 0 free, 1 being filled or emptied, 2 live
  std::atomic<uintptr_t> start{0};
  std::atomic<size_t> bytes{0};
  std::atomic<bool> shortened{false};
};

Slot g_slots[ReadMappingGuard::kSlots];
struct sigaction g_previous;
std::once_flag g_installed;

void PassOn(int sig, siginfo_t* info, void* context) {
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) {
      g_previous.sa_sigaction(sig, info, context);
      return;
    }
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(sig);
    return;
  }
  // The default action: the fault is raised again when the handler returns.
  signal(sig, SIG_DFL);
}

void OnBusError(int sig, siginfo_t* info, void* context) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  for (Slot& s : g_slots) {
    if (s.state.load(std::memory_order_acquire) != 2) continue;
    const uintptr_t start = s.start.load(std::memory_order_relaxed);
    const uintptr_t end = start + s.bytes.load(std::memory_order_relaxed);
    if (address < start || address >= end) continue;
    // Zero pages from the faulting page to the end of the mapping: the
    // reads there see silence and fault no more.
    const uintptr_t from = address - address % page;
    const uintptr_t to = (end + page - 1) / page * page;
    void* p = mmap(reinterpret_cast<void*>(from), to - from, PROT_READ,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (p == MAP_FAILED) break;
    s.shortened.store(true, std::memory_order_relaxed);
    return;
  }
  PassOn(sig, info, context);
}

void Install() {
  struct sigaction sa = {};
  sa.sa_sigaction = OnBusError;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGBUS, &sa, &g_previous);
}

}  // namespace

int ReadMappingGuard::Register(const void* start, size_t bytes) {
  std::call_once(g_installed, Install);
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!g_slots[i].state.compare_exchange_strong(expected, 1, std::memory_order_acquire)) continue;
    g_slots[i].start.store(reinterpret_cast<uintptr_t>(start), std::memory_order_relaxed);
    g_slots[i].bytes.store(bytes, std::memory_order_relaxed);
    g_slots[i].shortened.store(false, std::memory_order_relaxed);
    g_slots[i].state.store(2, std::memory_order_release);
    return i;
  }
  return -1;
}

void ReadMappingGuard::Unregister(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  g_slots[slot].state.store(1, std::memory_order_release);
  g_slots[slot].bytes.store(0, std::memory_order_relaxed);
  g_slots[slot].state.store(0, std::memory_order_release);
}

bool ReadMappingGuard::Shortened(int slot) {
  return slot >= 0 && slot < kSlots && g_slots[slot].state.load(std::memory_order_acquire) == 2 &&
         g_slots[slot].shortened.load(std::memory_order_relaxed);
}

}  // namespace nv
