// The fixture of every test that needs the module running: the runtime in
// its manual clock mode with "cs" loaded; at the end the runtime stops
// (halt, shutdown, final release) and no object of any sort may be alive
// that was not alive before.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pb/pb_obj.h"
#include "support/text.hpp"

namespace vtest {

class CsModuleTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Moves the manual clock forward, running what falls due.
    static void advance(PB_INT ms);

private:
    std::map<std::string, PB_INT> before_;
};

}  // namespace vtest
