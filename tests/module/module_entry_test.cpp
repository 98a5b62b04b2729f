#include "module/module_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

using framework::FrameworkDiagnostics;
using Calls = std::vector<std::string>;

int listMarkers[2];
void* const kClassHead = &listMarkers[0];
void* const kFactoryHead = &listMarkers[1];
void* const kInstance = &listMarkers;

class ModuleEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        framework::ResetFramework();
        ModuleRecord() = framework::ExtensionModuleRecord{};
        framework::ModuleState& state = framework::CurrentModuleState();
        state.classList.head = kClassHead;
        state.factoryList.head = kFactoryHead;
        framework::ClearCallLog();
    }
};

TEST_F(ModuleEntryTest, AttachParksListHeadsThenRegistersAndBuildsTheLibraryObject) {
    EXPECT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleTrue);
    EXPECT_EQ(framework::CallLog(), (Calls{"CurrentModuleState", "InitializeExtensionModule",
                                           "AllocateObject", "ConstructLibraryObject"}));
    framework::ModuleState& state = framework::CurrentModuleState();
    EXPECT_EQ(state.classList.head, nullptr);
    EXPECT_EQ(state.classList.savedHead, kClassHead);
    EXPECT_EQ(state.factoryList.head, nullptr);
    EXPECT_EQ(state.factoryList.savedHead, kFactoryHead);
    EXPECT_TRUE(ModuleRecord().initialized);
    EXPECT_EQ(ModuleRecord().instance, kInstance);
    EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 1u);
}

TEST_F(ModuleEntryTest, DetachUnregistersAndLeavesTheListsAlone) {
    ASSERT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleTrue);
    framework::ModuleState& state = framework::CurrentModuleState();
    state.classList.head = kFactoryHead;  // whatever the framework did meanwhile
    framework::ClearCallLog();

    EXPECT_EQ(ModuleEntry(kInstance, ProcessDetach, nullptr), ModuleTrue);
    EXPECT_EQ(framework::CallLog(), (Calls{"TerminateExtensionModule"}));
    EXPECT_FALSE(ModuleRecord().initialized);
    EXPECT_EQ(state.classList.head, kFactoryHead);
    EXPECT_EQ(state.classList.savedHead, kClassHead);
    EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 0u);
}

TEST_F(ModuleEntryTest, RefusedInitialisationFailsTheAttachBeforeAnyAllocation) {
    FrameworkDiagnostics().refuseInitialization = true;
    EXPECT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleFalse);
    EXPECT_EQ(framework::CallLog(), (Calls{"CurrentModuleState", "InitializeExtensionModule"}));
    EXPECT_FALSE(ModuleRecord().initialized);
    EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 0u);
}

TEST_F(ModuleEntryTest, AttachSucceedsWithoutMemoryForTheLibraryObject) {
    FrameworkDiagnostics().refuseAllocation = true;
    EXPECT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleTrue);
    EXPECT_EQ(framework::CallLog(),
              (Calls{"CurrentModuleState", "InitializeExtensionModule", "AllocateObject"}));
    EXPECT_TRUE(ModuleRecord().initialized);
    EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 0u);
}

TEST_F(ModuleEntryTest, ThreadNotificationsChangeNothing) {
    ASSERT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleTrue);
    framework::ClearCallLog();
    for (std::uint32_t reason : {ThreadAttach, ThreadDetach}) {
        EXPECT_EQ(ModuleEntry(kInstance, reason, nullptr), ModuleTrue) << reason;
        EXPECT_EQ(PreInitHook(kInstance, reason, nullptr), ModuleTrue) << reason;
        EXPECT_EQ(ModuleMain(kInstance, reason, nullptr), ModuleTrue) << reason;
    }
    EXPECT_TRUE(framework::CallLog().empty());
    EXPECT_TRUE(ModuleRecord().initialized);
    EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 1u);
}

TEST_F(ModuleEntryTest, ReattachAfterDetachReusesThePool) {
    for (int round = 0; round < 10; ++round) {
        ASSERT_EQ(ModuleEntry(kInstance, ProcessAttach, nullptr), ModuleTrue);
        EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 1u) << round;
        ASSERT_EQ(ModuleEntry(kInstance, ProcessDetach, nullptr), ModuleTrue);
        EXPECT_EQ(FrameworkDiagnostics().liveLibraryObjects, 0u) << round;
    }
}

TEST_F(ModuleEntryTest, PreInitHookAtDetachDoesNothing) {
    EXPECT_EQ(PreInitHook(kInstance, ProcessDetach, nullptr), ModuleTrue);
    EXPECT_TRUE(framework::CallLog().empty());
    EXPECT_EQ(framework::CurrentModuleState().classList.head, kClassHead);
}

}  // namespace
}  // namespace vantrel
