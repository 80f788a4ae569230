#pragma once
// Tests against a real office: one office, started on first use and shared
// by every test that works inside documents (each starts and ends with no
// document open), a backend of the test's own for it, and the test's own
// UNO connection to read back what the backend did.

#include "OfficeProbe.h"
#include "TestOffice.h"

#include "sheetwire/Automation.h"
#include "sheetwire/CalcBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The shared office; killed when the test program ends.
TestOffice& sharedOffice();

class CalcTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The backend's application; fails the test when it cannot attach.
    std::shared_ptr<sheetwire::AutomationApplication> attach();
    // A new workbook through the backend, by its name.
    std::string addWorkbook();

    // Whether the backend holds calls back until Flush, as the program's
    // does; a fixture that tests each call as it is made sets it false.
    bool batched = true;
    std::shared_ptr<sheetwire::CalcBackend> backend;
    std::unique_ptr<OfficeProbe> probe;
    std::shared_ptr<sheetwire::AutomationApplication> application;
};
