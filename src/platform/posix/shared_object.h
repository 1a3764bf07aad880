// POSIX shared-memory objects whose lifetime follows the processes that hold
// them, as a named section does on Windows.
//
// Every holder keeps a shared open-file-description lock on byte 0 of the
// object.  A process that can take the lock exclusively holds the only
// reference: the object is then (re)started zero-filled, even when it was
// left behind by processes that were killed.  The last holder to close it
// removes the name.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/posix/shared_access.h"

namespace quorsma::platform {

struct SharedObject {
  int fd = -1;
  bool created = false;    // true when this open started the object afresh
  bool exclusive = false;  // other processes wait to open it until ShareSharedObject
  // The error met giving a fresh object the group and mode asked for (0 when
  // none): it is then its owner's alone.
  int access_error = 0;
};

// Opens or creates the object "/name" of `size` bytes.  Returns false (errno
// set) when it cannot be opened or the file system has no room for it.
// `on_create`, when given, runs for a fresh object before any other process
// can use it; it returns false to give up.  A fresh object this process owns
// takes the group and mode of `access`.  With `keep_exclusive`, a fresh
// object stays this process's alone until ShareSharedObject, so that it can
// be filled before anyone else sees it.
bool OpenSharedObject(const std::string& name, std::size_t size, SharedObject* out,
                      const std::function<bool(int fd)>& on_create = {}, const SharedAccess* access = nullptr,
                      bool keep_exclusive = false);

// Lets the processes waiting for an object held with keep_exclusive open it.
void ShareSharedObject(SharedObject* object);

// Drops this process's hold; removes the name when no other holder remains.
void CloseSharedObject(const std::string& name, SharedObject* object);

// The POSIX object name used for a section name: a leading '/', and no other
// '/' characters.
std::string SharedObjectName(const std::string& name);

}  // namespace quorsma::platform
