// Every in-memory seam in one object, for tests: platform() hands them to the logic.
#pragma once

#include "platform/cp936_code_page.h"
#include "tests/memory/memory_file_system.h"
#include "tests/memory/memory_processes.h"
#include "tests/memory/memory_registry.h"
#include "tests/memory/scripted_message_boxes.h"
#include "platform/platform.h"

struct MemoryPlatform {
  MemoryRegistry registry;
  MemoryFileSystem files;
  MemoryProcessList processes;
  ScriptedMessageBoxes boxes;
  Cp936CodePage codePage;

  Platform platform() { return Platform{registry, files, processes, boxes, codePage}; }
};
