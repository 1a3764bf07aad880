// Why the library could not rewrite the comment file.
//
// smModifyMemoryComment and smModifyMemoryComment_FromFile return 0 when the
// comment file (Resource/Others/COMMENT.WCD under MEM_PLC_PATH) could not be
// written, and name the file only in a trace line.  The tool sees the public
// header alone, so the client library finds the operating system's reason by trying what the
// library tried: reading the file that is there, and writing a file of its
// size in its directory (removed again).
#pragma once

#include <string>

#include "quorsma/quorsma.h"

namespace qsc {

// "cannot write /plc/Resource/Others/COMMENT.WCD: No space left on device",
// or the nearest this process can tell.
std::string CommentWriteFailure(const MH_SHARED_STRUCTURE* image);

}  // namespace qsc
