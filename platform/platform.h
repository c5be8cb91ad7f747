// Everything the logic needs from the system, handed to it as one bundle.
#pragma once

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/processes.h"
#include "platform/registry.h"

struct Platform {
  Registry& registry;
  FileSystem& files;
  ProcessList& processes;
  MessageBoxes& boxes;
  const CodePage& codePage;
};
