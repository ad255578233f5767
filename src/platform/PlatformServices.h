// The platform as Tarnivo's logic reaches it: its file system (FileSystem.h)
// and its desktop (Desktop.h). The handlers take both through this one pair;
// each implementation is free to live where it belongs, the file system in
// src/platform/<system>/ and the desktop beside its dialog.
#pragma once

#include "platform/Desktop.h"
#include "platform/FileSystem.h"

namespace tarnivo {

struct PlatformServices {
  FileSystem& files;
  Desktop& desktop;
};

}  // namespace tarnivo
