#include "module/framework.h"

#include <array>
#include <cstdint>
#include <new>
#include <type_traits>

namespace vantrel::framework {

namespace {

// What the framework keeps about a loaded extension module.
struct LibraryObject {
    ExtensionModuleRecord* record;
    bool system;
};
static_assert(sizeof(LibraryObject) <= LibraryObjectSize);
static_assert(std::is_trivially_destructible_v<LibraryObject>);

// One piece of the allocation pool; a module needs one, a few spare cost little.
struct Slot {
    alignas(std::max_align_t) std::byte memory[LibraryObjectSize];
    bool inUse;
    LibraryObject* object;  // set once constructed in memory
};

constexpr std::size_t kPoolSlots = 4;
constexpr std::size_t kLoggedCalls = 64;

// All of the framework's state lives in static storage and owns no heap memory, so it
// needs no destructor: the loader's unload call can come after the process has run its
// static destructors (a host that exits without unloading the module), and a module
// that is unloaded leaves nothing behind.
struct Framework {
    ModuleState moduleState;
    Diagnostics diagnostics;
    std::array<Slot, kPoolSlots> pool;
    std::array<const char*, kLoggedCalls> calls;
    std::size_t callCount;
};
static_assert(std::is_trivially_destructible_v<Framework>);

Framework framework{};

void Log(const char* call) {
    if (framework.callCount < kLoggedCalls) framework.calls[framework.callCount++] = call;
}

}  // namespace

ModuleState& CurrentModuleState() {
    Log("CurrentModuleState");
    return framework.moduleState;
}

bool InitializeExtensionModule(ExtensionModuleRecord& record, ModuleHandle instance) {
    Log("InitializeExtensionModule");
    if (framework.diagnostics.refuseInitialization) return false;
    record.initialized = true;
    record.instance = instance;
    return true;
}

void TerminateExtensionModule(ExtensionModuleRecord& record, bool /*all*/) {
    Log("TerminateExtensionModule");
    record.initialized = false;
    // The library objects built for this module go with it.
    for (Slot& slot : framework.pool) {
        if (slot.inUse && slot.object != nullptr && slot.object->record == &record) {
            slot = Slot{};
            --framework.diagnostics.liveLibraryObjects;
        }
    }
}

void* AllocateObject(std::size_t bytes) {
    Log("AllocateObject");
    if (framework.diagnostics.refuseAllocation || bytes > LibraryObjectSize) return nullptr;
    for (Slot& slot : framework.pool) {
        if (!slot.inUse) {
            slot.inUse = true;
            return slot.memory;
        }
    }
    return nullptr;
}

void ConstructLibraryObject(void* memory, ExtensionModuleRecord& record, bool system) {
    Log("ConstructLibraryObject");
    for (Slot& slot : framework.pool) {
        if (slot.inUse && slot.object == nullptr && slot.memory == memory) {
            slot.object = ::new (memory) LibraryObject{&record, system};
            ++framework.diagnostics.liveLibraryObjects;
            return;
        }
    }
}

Diagnostics& FrameworkDiagnostics() {
    return framework.diagnostics;
}

std::vector<std::string> CallLog() {
    return std::vector<std::string>(
        framework.calls.begin(),
        framework.calls.begin() + static_cast<std::ptrdiff_t>(framework.callCount));
}

void ClearCallLog() {
    framework.callCount = 0;
}

void ResetFramework() {
    framework = Framework{};
}

}  // namespace vantrel::framework
