// The worker thread's own stream for a background search: a new stream of the same class on the same
// file, so the worker has its own caches and never takes the position or the locks of the grid's stream.
#pragma once

#include <memory>

#include "kiwi/io/Stream.h"

// A new stream of shown's class (decompressing, file-layer or plain file stream) on the same file,
// checked to read the same bytes (same image entry, same size). When none can be opened, or the class
// is another one, shown itself is returned: every stream's ReadAt is positionless and thread-safe.
std::shared_ptr<TLN_Stream> OpenSearchStream(const std::shared_ptr<TLN_Stream>& shown);
