// The operating system's file system behind the engine's file seam (POSIX calls).
#include "platform/xbase/file_system.h"
