#include "platform/posix/library_data.h"

#include <errno.h>
#include <sys/mman.h>

#include <mutex>
#include <string>

#include "platform/posix/shared_object.h"

namespace quorsma::platform {
namespace {

// Kept on the heap and never destroyed: the library's unload hook runs after
// the static destructors of the process at exit, and still needs them.
struct State {
  std::mutex mutex;
  LibraryData* data = nullptr;
  SharedObject object;
  std::string name;
};

State& TheState() {
  static State* state = new State;
  return *state;
}

void InitRobust(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

}  // namespace

LibraryData* AttachLibraryData(const char* section_name, const SharedAccess& access) {
  State& state = TheState();
  std::lock_guard<std::mutex> guard(state.mutex);
  if (state.data != nullptr) return state.data;
  std::string name = SharedObjectName(std::string(section_name) + QSMA_LIBRARY_DATA_SUFFIX);
  SharedObject object;
  // The first holder initialises the locks while it still holds the object
  // alone; later holders wait for it.
  auto initialise = [](int fd) {
    void* address = mmap(nullptr, sizeof(LibraryData), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) return false;
    auto* fresh = static_cast<LibraryData*>(address);
    InitRobust(&fresh->log_lock);
    InitRobust(&fresh->comment_file_lock);
    fresh->initialized = 1;
    munmap(address, sizeof(LibraryData));
    return true;
  };
  if (!OpenSharedObject(name, sizeof(LibraryData), &object, initialise, &access)) return nullptr;
  void* address = mmap(nullptr, sizeof(LibraryData), PROT_READ | PROT_WRITE, MAP_SHARED, object.fd, 0);
  if (address == MAP_FAILED) {
    CloseSharedObject(name, &object);
    return nullptr;
  }
  auto* data = static_cast<LibraryData*>(address);
  state.object = object;
  state.name = name;
  state.data = data;
  return state.data;
}

void DetachLibraryData() {
  State& state = TheState();
  std::lock_guard<std::mutex> guard(state.mutex);
  if (state.data == nullptr) return;
  munmap(state.data, sizeof(LibraryData));
  state.data = nullptr;
  CloseSharedObject(state.name, &state.object);
}

void LockRobust(pthread_mutex_t* mutex) {
  int rc = pthread_mutex_lock(mutex);
  if (rc == EOWNERDEAD) pthread_mutex_consistent(mutex);
}

}  // namespace quorsma::platform
