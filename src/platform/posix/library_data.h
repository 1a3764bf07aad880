// The Linux counterpart of the library's shared data section: one small
// shared object per section name, held by every process that has the library
// loaded, zero again once none has.  It carries the communication-window
// handle and the robust process-shared locks of the library.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <cstdint>

#include "platform/posix/shared_access.h"
#include "quorsma/quorsma.h"

namespace quorsma::platform {

struct LibraryData {
  int32_t comm_handle;         // hWndComm
  int32_t initialized;         // set once the locks below are initialised
  uint32_t collector_waiters;  // collectors asleep on LogLinePending (public header)
  uint32_t reserved;
  pthread_mutex_t log_lock;
  pthread_mutex_t comment_file_lock;
};

static_assert(offsetof(LibraryData, collector_waiters) == QSMA_COLLECTOR_WAITERS_OFFSET,
              "the waiter count lies where the public header says");

// Maps the library data of `section_name`, creating and initialising it for
// the first holder, with the access of `access`.  Null when it cannot be had.
LibraryData* AttachLibraryData(const char* section_name, const SharedAccess& access);
void DetachLibraryData();

// Locks a robust process-shared mutex; a lock abandoned by a dead holder is
// taken over.
void LockRobust(pthread_mutex_t* mutex);

}  // namespace quorsma::platform
