// The "Select Device" dialog's logic, driven the way the window system drives it: controls
// changed by the user, then the command reaches the dialog procedure.
#include <gtest/gtest.h>

#include "app/device_dialog.h"
#include "test_support.h"

namespace {

class DeviceDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeAdapter first = standardAdapter();
        first.description = "First adapter";
        FakeAdapter second = standardAdapter();
        second.description = "Second adapter";
        // The second adapter's HAL cannot render into a window.
        second.types[D3DDEVTYPE_HAL].caps2 = 0;
        app.direct3D = new FakeDirect3D({first, second}, nullptr);
        ASSERT_EQ(app.enumerateDevices(), kResultOk);
        logic.open(dialog);
    }
    void TearDown() override {
        app.direct3D->Release();
        app.direct3D = nullptr;
    }

    DialogControl& control(int id) { return *dialog.control(id); }

    int chooseInList(int listId, int item) {
        selectListItem(dialog, listId, item);
        return logic.command(dialog, listId, kNotifySelectionConfirmed);
    }
    int click(int id) {
        clickRadioButton(dialog, id);
        return logic.command(dialog, id, kNotifyClicked);
    }

    MessageBoxRecorder recorder;
    CallLog log;
    LoggingApplication app{&log};
    Dialog dialog = makeDeviceDialog();
    DeviceDialogLogic logic{app};
};

TEST_F(DeviceDialogTest, TheDialogHasItsCaptionControlsAndTexts) {
    EXPECT_EQ(dialog.caption, "Select Device");
    EXPECT_EQ(dialog.width, 267);
    EXPECT_EQ(dialog.height, 114);
    EXPECT_EQ(control(kWindowedChoiceId).text, "Use desktop &window");
    EXPECT_EQ(control(kFullscreenChoiceId).text, "&Fullscreen mode:");
    EXPECT_EQ(control(kDialogOk).text, "OK");
    EXPECT_EQ(control(kDialogOk).kind, ControlKind::DefaultButton);
    EXPECT_EQ(control(kDialogCancel).text, "Cancel");
    EXPECT_EQ(control(kAdapterListId).kind, ControlKind::DropDownList);
    EXPECT_EQ(control(kDeviceListId).kind, ControlKind::DropDownList);
    EXPECT_EQ(control(kModeListId).kind, ControlKind::DropDownList);
    std::vector<std::string> labels;
    for (const DialogControl& c : dialog.controls) {
        if (c.id == kStaticControlId) {
            labels.push_back(c.text);
        }
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Rendering device",
                                                "&Adapter:", "&Device:", "Rendering mode"}));
}

TEST_F(DeviceDialogTest, OpeningShowsTheCurrentChoice) {
    EXPECT_EQ(control(kAdapterListId).items,
              (std::vector<std::string>{"First adapter", "Second adapter"}));
    EXPECT_EQ(control(kAdapterListId).selected, 0);
    EXPECT_EQ(control(kDeviceListId).items, (std::vector<std::string>{"HAL", "REF"}));
    EXPECT_EQ(control(kDeviceListId).selected, 0);
    EXPECT_EQ(control(kModeListId).items,
              (std::vector<std::string>{"640 x 480 x 16", "800 x 600 x 16", "1024 x 768 x 16",
                                        "640 x 480 x 32", "800 x 600 x 32", "1024 x 768 x 32"}));
    EXPECT_EQ(control(kModeListId).selected, 0);
    EXPECT_TRUE(control(kWindowedChoiceId).checked);
    EXPECT_FALSE(control(kFullscreenChoiceId).checked);
    EXPECT_TRUE(control(kWindowedChoiceId).enabled);
    EXPECT_FALSE(control(kModeListId).enabled);
}

TEST_F(DeviceDialogTest, OkWithoutChangesIsCancelAndWritesNothing) {
    EXPECT_EQ(logic.command(dialog, kDialogOk, kNotifyClicked), kDialogCancel);
    // Changing and changing back is no change either.
    EXPECT_EQ(click(kFullscreenChoiceId), -1);
    EXPECT_EQ(click(kWindowedChoiceId), -1);
    EXPECT_EQ(logic.command(dialog, kDialogOk, kNotifyClicked), kDialogCancel);
}

TEST_F(DeviceDialogTest, CancelNeverChangesAnything) {
    click(kFullscreenChoiceId);
    chooseInList(kModeListId, 4);
    EXPECT_EQ(logic.command(dialog, kDialogCancel, kNotifyClicked), kDialogCancel);
    EXPECT_TRUE(app.currentDeviceEntry().windowed);
    EXPECT_EQ(app.currentDeviceEntry().currentMode, 0u);
}

TEST_F(DeviceDialogTest, FullScreenEnablesTheModeListAndOkStoresTheChoice) {
    EXPECT_EQ(click(kFullscreenChoiceId), -1);
    EXPECT_TRUE(control(kModeListId).enabled);
    EXPECT_FALSE(control(kWindowedChoiceId).checked);
    EXPECT_TRUE(control(kFullscreenChoiceId).checked);
    EXPECT_EQ(chooseInList(kModeListId, 4), -1);
    EXPECT_EQ(control(kModeListId).selected, 4);
    EXPECT_EQ(logic.command(dialog, kDialogOk, kNotifyClicked), kDialogOk);
    EXPECT_FALSE(app.currentDeviceEntry().windowed);
    EXPECT_EQ(app.currentDeviceEntry().currentMode, 4u);
    EXPECT_EQ(app.currentDeviceEntry().multiSampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(DeviceDialogTest, ADeviceThatCannotRenderWindowedHasTheWindowedChoiceDisabled) {
    EXPECT_EQ(chooseInList(kAdapterListId, 1), -1);
    EXPECT_EQ(control(kDeviceListId).selected, 0);
    EXPECT_FALSE(control(kWindowedChoiceId).enabled);
    EXPECT_FALSE(control(kWindowedChoiceId).checked);
    EXPECT_TRUE(control(kFullscreenChoiceId).checked);
    EXPECT_TRUE(control(kModeListId).enabled);
    // A click on the disabled choice changes nothing.
    click(kWindowedChoiceId);
    EXPECT_FALSE(control(kWindowedChoiceId).checked);
    EXPECT_FALSE(logic.newChoice().windowed);
}

TEST_F(DeviceDialogTest, AnotherAdapterShowsItsOwnLastChoices) {
    // The second adapter last used its REF in full-screen at mode 2.
    app.adapters[1].currentDevice = 1;
    app.adapters[1].devices[1].windowed = false;
    app.adapters[1].devices[1].currentMode = 2;
    chooseInList(kAdapterListId, 1);
    EXPECT_EQ(control(kAdapterListId).selected, 1);
    EXPECT_EQ(control(kDeviceListId).selected, 1);
    EXPECT_EQ(control(kModeListId).selected, 2);
    EXPECT_TRUE(control(kFullscreenChoiceId).checked);
    EXPECT_TRUE(control(kWindowedChoiceId).enabled);  // the REF can render windowed

    chooseInList(kAdapterListId, 0);
    EXPECT_EQ(control(kDeviceListId).selected, 0);
    EXPECT_TRUE(control(kWindowedChoiceId).checked);
    EXPECT_EQ(logic.command(dialog, kDialogOk, kNotifyClicked), kDialogCancel);
}

TEST_F(DeviceDialogTest, ChoosingAnotherDeviceTakesItsModeAndWindowedFlag) {
    app.adapters[0].devices[1].currentMode = 3;
    chooseInList(kDeviceListId, 1);
    EXPECT_EQ(logic.newChoice().device, 1u);
    EXPECT_EQ(logic.newChoice().mode, 3u);
    EXPECT_TRUE(logic.newChoice().windowed);
    EXPECT_EQ(logic.command(dialog, kDialogOk, kNotifyClicked), kDialogOk);
    EXPECT_EQ(app.adapters[0].currentDevice, 1u);
    EXPECT_EQ(app.currentDeviceEntry().deviceType, D3DDEVTYPE_REF);
}

TEST_F(DeviceDialogTest, RadioButtonsOfOneGroupExcludeEachOther) {
    clickRadioButton(dialog, kFullscreenChoiceId);
    EXPECT_TRUE(control(kFullscreenChoiceId).checked);
    EXPECT_FALSE(control(kWindowedChoiceId).checked);
    clickRadioButton(dialog, kWindowedChoiceId);
    EXPECT_TRUE(control(kWindowedChoiceId).checked);
    EXPECT_FALSE(control(kFullscreenChoiceId).checked);
}

TEST_F(DeviceDialogTest, SelectionsOutsideAListAreIgnored) {
    selectListItem(dialog, kAdapterListId, 7);
    EXPECT_EQ(control(kAdapterListId).selected, 0);
    selectListItem(dialog, kModeListId, 2);  // disabled while windowed
    EXPECT_EQ(control(kModeListId).selected, 0);
}

}  // namespace
