// The device conformance suite: small scenes drawn on a device and checked pixel by pixel.
// It runs on any device type. To run it on a device, give a factory and instantiate it:
//
//   INSTANTIATE_TEST_SUITE_P(REF, DeviceConformance,
//                            testing::Values(DeviceFactory{"REF", &createReferenceForTest}),
//                            deviceFactoryName);
//
// and build the test with kolvane_device_conformance_test (tests/gfx/conformance).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "gfx/device.h"
#include "tests/gfx/offscreen_device.h"

struct DeviceFactory {
    const char* name;
    // A windowed device without a window (offscreen), back buffer width x height in
    // X8R8G8B8 with a D16 depth buffer, presentation interval IMMEDIATE. Null on failure.
    IDirect3DDevice8* (*create)(UINT width, UINT height);
};

// Names the instantiated cases after the device.
std::string deviceFactoryName(const testing::TestParamInfo<DeviceFactory>& info);

class DeviceConformance : public testing::TestWithParam<DeviceFactory> {
protected:
    static constexpr UINT frameWidth = 64;
    static constexpr UINT frameHeight = 64;

    void SetUp() override;
    void TearDown() override;

    IDirect3DDevice8* device = nullptr;
};
