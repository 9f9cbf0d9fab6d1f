// The history file on Win32: appended to through a handle that every reader
// and a second scheduler may share, and renamed with MoveFileExA.
#pragma once

#include "history_writer.h"

namespace ormidal {

HistorySink& Win32HistorySink();

}  // namespace ormidal
