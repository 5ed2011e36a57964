#pragma once

#include "LilvHost.h"

#include <gtest/gtest.h>

// A test suite sharing one lilv host, with the per-user data folder isolated so that a bank a
// user of this machine saved cannot change what the instrument loads.
class LilvSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sIsolated = new IsolatedUserData;
        sHost = new LilvHost;
    }
    static void TearDownTestSuite() {
        delete sHost;
        delete sIsolated;
        sHost = nullptr;
        sIsolated = nullptr;
    }
    static inline LilvHost* sHost = nullptr;
    static inline IsolatedUserData* sIsolated = nullptr;
};
