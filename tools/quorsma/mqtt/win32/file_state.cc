#include <windows.h>

#include "../write_handler.h"

namespace quorsma::tool::mqtt {

// The file's index, size and last write time; the file is opened for none of
// its contents and shared with every other opener.
WriteHandler::FileState WriteHandler::StateOf(const std::string& path) {
  FileState state;
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return state;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file, &info)) {
    state.exists = true;
    state.identity = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    state.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    const uint64_t ticks =
        (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    state.modified_ns = static_cast<int64_t>(ticks * 100);
  }
  CloseHandle(file);
  return state;
}

}  // namespace quorsma::tool::mqtt
