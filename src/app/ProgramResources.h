#pragma once

// The program's pictures live in a resource file compiled into a static library; a window that
// shows one calls this first so the linker keeps them. Safe to call any number of times.
void ensureProgramResources();
