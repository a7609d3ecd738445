#include <gtest/gtest.h>

#include "test_support.h"

namespace {

class EnumerationTest : public ::testing::Test {
protected:
    // Enumerates the given adapters into a fresh application; returns the result code.
    ResultCode enumerate(std::vector<FakeAdapter> list) {
        app.direct3D = new FakeDirect3D(std::move(list), nullptr);
        return app.enumerateDevices();
    }
    void TearDown() override {
        if (app.direct3D != nullptr) {
            app.direct3D->Release();
            app.direct3D = nullptr;
        }
    }

    const DeviceEntry& device(std::uint32_t adapter, std::uint32_t index) {
        return app.adapters[adapter].devices[index];
    }

    MessageBoxRecorder recorder;
    CallLog log;
    LoggingApplication app{&log};
};

TEST_F(EnumerationTest, SmallModesAreDroppedAndRefreshRatesMerged) {
    FakeAdapter adapter = standardAdapter();
    adapter.modes = {
        {320, 240, 60, D3DFMT_X8R8G8B8}, {640, 350, 70, D3DFMT_X8R8G8B8},
        {512, 768, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_X8R8G8B8},
        {640, 480, 75, D3DFMT_X8R8G8B8}, {640, 480, 85, D3DFMT_X8R8G8B8},
        {640, 400, 60, D3DFMT_X8R8G8B8},
    };
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    const DeviceEntry& hal = device(0, 0);
    ASSERT_EQ(hal.modeCount, 2u);
    EXPECT_EQ(hal.modes[0].width, 640u);
    EXPECT_EQ(hal.modes[0].height, 400u);
    EXPECT_EQ(hal.modes[1].height, 480u);
}

TEST_F(EnumerationTest, ModesSortByFormatDescendingThenWidthThenHeight) {
    FakeAdapter adapter = standardAdapter();
    adapter.modes = {
        {1024, 768, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5},
        {640, 480, 60, D3DFMT_X8R8G8B8},  {800, 600, 60, D3DFMT_X1R5G5B5},
        {640, 480, 60, D3DFMT_R5G6B5},    {800, 480, 60, D3DFMT_X8R8G8B8},
    };
    adapter.types[D3DDEVTYPE_HAL].fullscreenFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                                       D3DFMT_X1R5G5B5};
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    const DeviceEntry& hal = device(0, 0);
    ASSERT_EQ(hal.modeCount, 6u);
    const std::uint32_t expected[][3] = {
        {800, 600, D3DFMT_X1R5G5B5}, {640, 480, D3DFMT_R5G6B5},   {800, 600, D3DFMT_R5G6B5},
        {640, 480, D3DFMT_X8R8G8B8}, {800, 480, D3DFMT_X8R8G8B8}, {1024, 768, D3DFMT_X8R8G8B8},
    };
    for (std::uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(hal.modes[i].width, expected[i][0]) << i;
        EXPECT_EQ(hal.modes[i].height, expected[i][1]) << i;
        EXPECT_EQ(hal.modes[i].format, expected[i][2]) << i;
    }
}

TEST_F(EnumerationTest, ModesOfFormatsTheDeviceCannotShowAreLeftOut) {
    FakeAdapter adapter = standardAdapter();
    adapter.types[D3DDEVTYPE_HAL].fullscreenFormats = {D3DFMT_X8R8G8B8};
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    const DeviceEntry& hal = device(0, 0);
    ASSERT_EQ(hal.modeCount, 3u);
    for (std::uint32_t i = 0; i < hal.modeCount; ++i) {
        EXPECT_EQ(hal.modes[i].format, D3DFMT_X8R8G8B8);
    }
}

TEST_F(EnumerationTest, DefaultModeIsTheFirstSixteenBit640x480) {
    ASSERT_EQ(enumerate({standardAdapter()}), kResultOk);
    const DeviceEntry& hal = device(0, 0);
    const ModeEntry& mode = hal.modes[hal.currentMode];
    EXPECT_EQ(mode.width, 640u);
    EXPECT_EQ(mode.height, 480u);
    EXPECT_EQ(mode.format, D3DFMT_R5G6B5);
}

TEST_F(EnumerationTest, DefaultModeFallsBackToTheLast640x480ThenToTheFirstMode) {
    FakeAdapter adapter = standardAdapter();
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8},
                     {640, 480, 60, D3DFMT_A8R8G8B8},
                     {800, 600, 60, D3DFMT_X8R8G8B8}};
    adapter.types[D3DDEVTYPE_HAL].fullscreenFormats = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    const DeviceEntry& hal = device(0, 0);
    EXPECT_EQ(hal.modes[hal.currentMode].format, D3DFMT_A8R8G8B8);  // sorted after X8R8G8B8

    FakeAdapter no640 = standardAdapter();
    no640.modes = {{1024, 768, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_X8R8G8B8}};
    TearDown();
    ASSERT_EQ(enumerate({no640}), kResultOk);
    EXPECT_EQ(device(0, 0).currentMode, 0u);
    EXPECT_EQ(device(0, 0).modes[0].width, 800u);
}

TEST_F(EnumerationTest, DepthFormatIsTheFirstThatFitsTheWantedBits) {
    app.wantDepthBuffer = true;
    ASSERT_EQ(enumerate({standardAdapter()}), kResultOk);
    EXPECT_EQ(device(0, 0).modes[0].depthStencilFormat, D3DFMT_D16);

    FakeAdapter noD16 = standardAdapter();
    noD16.types[D3DDEVTYPE_HAL].depthFormats = {D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D32};
    TearDown();
    ASSERT_EQ(enumerate({noD16}), kResultOk);
    // D15S1 is skipped with the default 16 depth bits; D24X8 is missing, so D24S8.
    EXPECT_EQ(device(0, 0).modes[0].depthStencilFormat, D3DFMT_D24S8);

    app.stencilBitsWanted = 4;
    TearDown();
    ASSERT_EQ(enumerate({noD16}), kResultOk);
    EXPECT_EQ(device(0, 0).modes[0].depthStencilFormat, D3DFMT_D24S8);
}

TEST_F(EnumerationTest, WithoutADepthBufferNoDepthFormatIsRecorded) {
    ASSERT_EQ(enumerate({standardAdapter()}), kResultOk);
    EXPECT_EQ(device(0, 0).modes[0].depthStencilFormat, D3DFMT_UNKNOWN);
}

TEST_F(EnumerationTest, ADeviceWithoutADepthFormatIsNotUsable) {
    app.wantDepthBuffer = true;
    FakeAdapter adapter = standardAdapter();
    adapter.types[D3DDEVTYPE_HAL].depthFormats = {};
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    ASSERT_EQ(app.adapters[0].deviceCount, 1u);
    EXPECT_EQ(device(0, 0).deviceType, D3DDEVTYPE_REF);
}

TEST_F(EnumerationTest, BehaviourIsOfferedStrongestFirst) {
    FakeAdapter adapter = standardAdapter();
    adapter.types[D3DDEVTYPE_HAL].devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    adapter.types.erase(D3DDEVTYPE_REF);
    adapter.modes = {{640, 480, 60, D3DFMT_X8R8G8B8}};
    app.logAcceptDevice = true;
    app.refusedBehavior = D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING;
    app.direct3D = new FakeDirect3D({adapter}, nullptr);
    ASSERT_EQ(app.enumerateDevices(), kResultOk);
    const std::string pure =
        std::to_string(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE);
    EXPECT_EQ(log, (CallLog{"acceptDevice " + pure,
                            "acceptDevice " + std::to_string(D3DCREATE_HARDWARE_VERTEXPROCESSING),
                            "acceptDevice " + std::to_string(D3DCREATE_MIXED_VERTEXPROCESSING)}));
    EXPECT_EQ(device(0, 0).modes[0].behaviorFlags, D3DCREATE_MIXED_VERTEXPROCESSING);
}

TEST_F(EnumerationTest, WithoutHardwareTransformOnlySoftwareProcessingIsOffered) {
    FakeAdapter adapter = standardAdapter();
    adapter.types[D3DDEVTYPE_HAL].devCaps = 0;
    ASSERT_EQ(enumerate({adapter}), kResultOk);
    EXPECT_EQ(device(0, 0).modes[0].behaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(EnumerationTest, HalIsChosenInAWindowAndNoBoxIsShown) {
    ASSERT_EQ(enumerate({standardAdapter()}), kResultOk);
    EXPECT_EQ(app.adapterCount, 1u);
    EXPECT_EQ(app.adapters[0].deviceCount, 2u);
    EXPECT_STREQ(device(0, 0).name, "HAL");
    EXPECT_STREQ(device(0, 1).name, "REF");
    EXPECT_TRUE(device(0, 0).windowCapable);
    EXPECT_TRUE(device(0, 0).windowed);
    EXPECT_EQ(app.currentAdapter, 0u);
    EXPECT_EQ(app.adapters[0].currentDevice, 0u);
    EXPECT_TRUE(app.inWindow);
    EXPECT_TRUE(MessageBoxRecorder::boxes().empty());
}

TEST_F(EnumerationTest, AnAdapterWithOnlySmallModesIsDroppedAndTheNextTakesItsPlace) {
    FakeAdapter small = standardAdapter();
    small.description = "Small";
    small.modes = {{320, 200, 60, D3DFMT_X8R8G8B8}, {600, 480, 60, D3DFMT_X8R8G8B8}};
    FakeAdapter big = standardAdapter();
    big.description = "Big";
    ASSERT_EQ(enumerate({small, big}), kResultOk);
    ASSERT_EQ(app.adapterCount, 1u);
    EXPECT_STREQ(app.adapters[0].identifier.Description, "Big");
    EXPECT_EQ(app.adapters[0].ordinal, 1u);
}

// The warning shown when the reference device is the one the program starts on.
struct ReferenceCause {
    const char* name;
    void (*prepare)(FakeAdapter& adapter);
    ResultCode expected;
};

const ReferenceCause kReferenceCauses[] = {
    {"NoHal", [](FakeAdapter& a) { a.types.erase(D3DDEVTYPE_HAL); }, kErrorNoHardwareDevice},
    {"HalWithoutUsableFormat", [](FakeAdapter& a) { a.types[D3DDEVTYPE_HAL].depthFormats = {}; },
     kErrorHalLacksFeatures},
    {"HalNotWindowable", [](FakeAdapter& a) { a.types[D3DDEVTYPE_HAL].caps2 = 0; },
     kErrorHalNotWindowable},
    {"HalCannotShowTheDesktopFormat",
     [](FakeAdapter& a) { a.types[D3DDEVTYPE_HAL].fullscreenFormats = {D3DFMT_R5G6B5}; },
     kErrorHalNotDesktopWindowable},
    {"HalRefusesTheDesktopFormat", [](FakeAdapter&) {}, kErrorHalLacksDesktopFeatures},
};

class ReferenceFallbackTest : public EnumerationTest,
                              public ::testing::WithParamInterface<ReferenceCause> {};

TEST_P(ReferenceFallbackTest, StartsOnReferenceWithTheWarningForItsCause) {
    const ReferenceCause& cause = GetParam();
    FakeAdapter adapter = standardAdapter();
    cause.prepare(adapter);
    app.wantDepthBuffer = true;
    if (cause.expected == kErrorHalLacksDesktopFeatures) {
        app.refusedHalFormat = adapter.desktop.Format;
    }
    EXPECT_EQ(enumerate({adapter}), kResultOk);
    EXPECT_EQ(app.currentDeviceEntry().deviceType, D3DDEVTYPE_REF);
    EXPECT_TRUE(app.inWindow);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    const RecordedBox& box = MessageBoxRecorder::boxes()[0];
    char expected[kErrorMessageCapacity];
    composeErrorMessage(cause.expected, ErrorKind::SwitchToReference, expected);
    EXPECT_EQ(box.text, expected);
    EXPECT_EQ(box.icon, MessageBoxIcon::Warning);
}

INSTANTIATE_TEST_SUITE_P(EachCause, ReferenceFallbackTest, ::testing::ValuesIn(kReferenceCauses),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EnumerationTest, NoUsableDeviceAnywhereIsFailureThree) {
    FakeAdapter adapter = standardAdapter();
    adapter.types.clear();
    EXPECT_EQ(enumerate({adapter, adapter}), kErrorNoCompatibleDevices);
    TearDown();
    EXPECT_EQ(enumerate({}), kErrorNoCompatibleDevices);
}

TEST_F(EnumerationTest, NoDeviceThatRendersInAWindowIsFailureFour) {
    FakeAdapter adapter = standardAdapter();
    adapter.types[D3DDEVTYPE_HAL].caps2 = 0;
    adapter.types[D3DDEVTYPE_REF].caps2 = 0;
    EXPECT_EQ(enumerate({adapter}), kErrorNoWindowableDevices);
    EXPECT_EQ(app.adapterCount, 1u);
    EXPECT_TRUE(MessageBoxRecorder::boxes().empty());
}

}  // namespace
