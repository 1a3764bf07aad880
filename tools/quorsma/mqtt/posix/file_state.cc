#include <sys/stat.h>

#include "../write_handler.h"

namespace quorsma::tool::mqtt {

WriteHandler::FileState WriteHandler::StateOf(const std::string& path) {
  struct stat st {};
  FileState state;
  if (stat(path.c_str(), &st) != 0) return state;
  state.exists = true;
  state.identity = st.st_ino;
  state.size = st.st_size;
  state.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return state;
}

}  // namespace quorsma::tool::mqtt
