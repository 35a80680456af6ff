// A fresh parameter-zoo effect for every test; the test fails if anything keeps a reference to it.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "effect_library.h"

class ZooEffectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        effect_ = refhost::CreateRuntimeEffect(refhost::Device(), refhost::ParameterZooDescription(), &error);
        ASSERT_NE(effect_, nullptr) << error;
    }
    void TearDown() override
    {
        if (effect_) {
            EXPECT_EQ(effect_->Release(), 0u) << "a reference to the effect was left behind";
        }
    }

    D3DXHANDLE Param(const char* name) const
    {
        D3DXHANDLE h = effect_->GetParameterByName(nullptr, name);
        EXPECT_NE(h, nullptr) << "no parameter " << name;
        return h;
    }

    ID3DXEffect* effect_ = nullptr;
};
