#include "module/module_entry.h"

namespace vantrel {

namespace {

framework::ExtensionModuleRecord extensionModuleRecord;

// The module has no static objects to construct or destroy and no exit routines;
// these mark where the loader-side runtime would run them.
void RunStaticInitializers() {}
void RunStaticTerminators() {}

}  // namespace

framework::ExtensionModuleRecord& ModuleRecord() {
    return extensionModuleRecord;
}

ModuleBool ModuleEntry(framework::ModuleHandle instance, std::uint32_t reason, void* reserved) {
    if (reason == ProcessAttach) {
        if (PreInitHook(instance, ProcessAttach, reserved) == ModuleFalse) return ModuleFalse;
        RunStaticInitializers();
    }
    // A refused attach is passed on as it is, with nothing undone: the loader then
    // refuses the module.
    ModuleBool result = ModuleMain(instance, reason, reserved);
    if (reason == ProcessDetach) {
        RunStaticTerminators();
        if (PreInitHook(instance, ProcessDetach, reserved) == ModuleFalse) result = ModuleFalse;
    }
    return result;
}

ModuleBool PreInitHook(framework::ModuleHandle /*instance*/, std::uint32_t reason,
                       void* /*reserved*/) {
    if (reason == ProcessAttach) {
        // Start the module's static initialisers with empty lists; the framework finds
        // its former heads in the saved slots.
        framework::ModuleState& state = framework::CurrentModuleState();
        for (framework::ListHead* list : {&state.classList, &state.factoryList}) {
            list->savedHead = list->head;
            list->head = nullptr;
        }
    }
    return ModuleTrue;
}

ModuleBool ModuleMain(framework::ModuleHandle instance, std::uint32_t reason, void* /*reserved*/) {
    if (reason == ProcessAttach) {
        if (!framework::InitializeExtensionModule(extensionModuleRecord, instance)) {
            return ModuleFalse;
        }
        // The framework keeps the library object; without memory the module simply
        // runs without one.
        if (void* memory = framework::AllocateObject(framework::LibraryObjectSize)) {
            framework::ConstructLibraryObject(memory, extensionModuleRecord, false);
        }
        return ModuleTrue;
    }
    if (reason == ProcessDetach) {
        framework::TerminateExtensionModule(extensionModuleRecord, false);
    }
    return ModuleTrue;
}

}  // namespace vantrel
