// The kinds of device of the image, in one table: the facts every rule of the
// client library (grammar, permissions, reading, forcing, comments) is
// derived from.
#pragma once

#include <string_view>

#include "quorsma/client.h"

namespace qsc {

// Every kind, in the order of the image: X Y M L B S SM D W R Z T.
const qsc_device_kind* Kinds(int* count);

// The kind named `name` exactly (upper case), or null.
const qsc_device_kind* FindKind(std::string_view name);

// The kind's `count` cells in `image` (for T the current values, Tcur), and
// its `count` comment entries of QSMA_COMMENT_BYTES bytes (null when it has
// none, or for a kind not of Kinds()).
int32_t* KindCells(MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind);
char* KindComments(MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind);

}  // namespace qsc
