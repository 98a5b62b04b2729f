#include "module/framework.h"

#include <algorithm>
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

struct Block {
    std::unique_ptr<std::byte[]> memory;
    LibraryObject* object = nullptr;  // set once constructed in memory
};

struct Framework {
    ModuleState moduleState;
    Diagnostics diagnostics;
    std::vector<Block> blocks;
};

// Never destroyed: the loader's unload call can come after the process has run its
// static destructors (a host that exits without unloading the module), and it still
// needs the framework then.
Framework& State() {
    alignas(Framework) static std::byte storage[sizeof(Framework)];
    static Framework* const framework = ::new (storage) Framework;
    return *framework;
}

void Log(const char* call) {
    State().diagnostics.calls.emplace_back(call);
}

}  // namespace

ModuleState& CurrentModuleState() {
    Log("CurrentModuleState");
    return State().moduleState;
}

bool InitializeExtensionModule(ExtensionModuleRecord& record, ModuleHandle instance) {
    Log("InitializeExtensionModule");
    if (State().diagnostics.refuseInitialization) return false;
    record.initialized = true;
    record.instance = instance;
    return true;
}

void TerminateExtensionModule(ExtensionModuleRecord& record, bool /*all*/) {
    Log("TerminateExtensionModule");
    record.initialized = false;
    // The library objects built for this module go with it.
    auto& blocks = State().blocks;
    const auto ownedByRecord = [&record](const Block& block) {
        return block.object != nullptr && block.object->record == &record;
    };
    State().diagnostics.liveLibraryObjects -=
        static_cast<std::size_t>(std::count_if(blocks.begin(), blocks.end(), ownedByRecord));
    blocks.erase(std::remove_if(blocks.begin(), blocks.end(), ownedByRecord), blocks.end());
}

void* AllocateObject(std::size_t bytes) {
    Log("AllocateObject");
    if (State().diagnostics.refuseAllocation) return nullptr;
    std::unique_ptr<std::byte[]> memory;
    try {
        memory = std::make_unique<std::byte[]>(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    void* raw = memory.get();
    State().blocks.push_back(Block{std::move(memory), nullptr});
    return raw;
}

void ConstructLibraryObject(void* memory, ExtensionModuleRecord& record, bool system) {
    Log("ConstructLibraryObject");
    for (Block& block : State().blocks) {
        if (block.memory.get() == memory) {
            block.object = ::new (memory) LibraryObject{&record, system};
            ++State().diagnostics.liveLibraryObjects;
            return;
        }
    }
}

Diagnostics& FrameworkDiagnostics() {
    return State().diagnostics;
}

void ResetFramework() {
    State() = Framework{};
}

}  // namespace vantrel::framework
