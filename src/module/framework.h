// A small stand-in for the application framework that the module registers with when
// it is loaded: the current module state with its two list heads, extension-module
// initialisation and termination, the framework's allocation operator and its
// library objects. The framework owns what it builds; the module only calls in.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::framework {

using ModuleHandle = void*;

// The module's record: its layout is the framework's business; the module only hands
// over its address.
struct ExtensionModuleRecord {
    bool initialized = false;
    ModuleHandle instance = nullptr;
};

// A singly linked list head with the slot where the module's start-up parks it.
struct ListHead {
    void* head = nullptr;
    void* savedHead = nullptr;
};

struct ModuleState {
    ListHead classList;
    ListHead factoryList;
};

ModuleState& CurrentModuleState();

// True when the module is registered with the framework.
bool InitializeExtensionModule(ExtensionModuleRecord& record, ModuleHandle instance);
void TerminateExtensionModule(ExtensionModuleRecord& record, bool all);

// Size of the framework's dynamic-link-library object.
inline constexpr std::size_t LibraryObjectSize = 64;

// The framework's allocation operator: memory from the framework's own small pool, or
// null when it has none left (or not bytes of it in one piece).
void* AllocateObject(std::size_t bytes);
// Builds the library object in memory from AllocateObject; from then on the framework
// owns it and releases it when the module is terminated.
void ConstructLibraryObject(void* memory, ExtensionModuleRecord& record, bool system);

// What tests observe and steer. Nothing here is exported from the shared library.
struct Diagnostics {
    bool refuseInitialization = false;  // InitializeExtensionModule answers false
    bool refuseAllocation = false;      // AllocateObject answers null
    std::size_t liveLibraryObjects = 0;
};
Diagnostics& FrameworkDiagnostics();
// The framework operations in the order they ran since the last clear (the first few
// dozen; later ones are not recorded).
std::vector<std::string> CallLog();
void ClearCallLog();
// Back to a freshly loaded framework (tests only).
void ResetFramework();

}  // namespace vantrel::framework
