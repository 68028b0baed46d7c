// The comment window's engines: the in-process unzip object reads the
// archive comment, the in-process zip object rewrites it.
#pragma once

#include "frmComment.h"

namespace bralto {

CommentEngine InProcessCommentEngine();

}  // namespace bralto
