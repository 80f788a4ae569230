#include "CalcTest.h"

namespace {

std::unique_ptr<TestOffice> shared;

// Ends the shared office before the program does, while gtest still
// reports.
class SharedOfficeEnd : public testing::Environment {
public:
    void TearDown() override { shared.reset(); }
};

[[maybe_unused]] testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new SharedOfficeEnd);

} // namespace

TestOffice& sharedOffice()
{
    if (!shared) {
        shared = std::make_unique<TestOffice>();
        shared->start(true);
    }
    return *shared;
}

void CalcTest::SetUp()
{
    auto& office = sharedOffice();
    ASSERT_TRUE(office.running());
    probe = std::make_unique<OfficeProbe>(office.pipeName);
    probe->closeAll();
    auto calcOffice = office.office();
    calcOffice.batched = batched;
    backend = std::make_shared<sheetwire::CalcBackend>(calcOffice);
}

void CalcTest::TearDown()
{
    application.reset();
    backend.reset();
    if (probe)
        probe->closeAll();
    probe.reset();
}

std::shared_ptr<sheetwire::AutomationApplication> CalcTest::attach()
{
    if (!application)
        application = backend->AttachRunning();
    EXPECT_TRUE(application) << "no office to attach to";
    return application;
}

std::string CalcTest::addWorkbook()
{
    return attach()->Workbooks()->Add()->Name();
}
