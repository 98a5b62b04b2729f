// What the module does when the system loader attaches it to a process and detaches
// it again: it registers with the framework and unregisters.
#pragma once

#include <cstdint>

#include "module/framework.h"

namespace vantrel {

using ModuleBool = int;  // the loader's TRUE / FALSE
inline constexpr ModuleBool ModuleTrue = 1;
inline constexpr ModuleBool ModuleFalse = 0;

// The loader's reason codes.
inline constexpr std::uint32_t ProcessDetach = 0;
inline constexpr std::uint32_t ProcessAttach = 1;
inline constexpr std::uint32_t ThreadAttach = 2;
inline constexpr std::uint32_t ThreadDetach = 3;

// The module's entry point: orders PreInitHook, static initialisation and ModuleMain.
ModuleBool ModuleEntry(framework::ModuleHandle instance, std::uint32_t reason, void* reserved);
// Parks the framework's two list heads before static initialisers run.
ModuleBool PreInitHook(framework::ModuleHandle instance, std::uint32_t reason, void* reserved);
// Registers with the framework at attach, unregisters at detach.
ModuleBool ModuleMain(framework::ModuleHandle instance, std::uint32_t reason, void* reserved);

// The module's one record for the framework; all zero when the module is loaded.
framework::ExtensionModuleRecord& ModuleRecord();

}  // namespace vantrel
