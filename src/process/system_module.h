#pragma once
#include <windows.h>

// A module of the system folder, loaded by its full path: a same-named file planted beside the
// saver or in the current folder must never run inside it. Null when it cannot be loaded; the
// caller frees it when done.
HMODULE loadSystemModule(const char* name);

// The named entry point of a module as a function of the given type; null when it is not there.
template <typename Fn>
Fn entryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
