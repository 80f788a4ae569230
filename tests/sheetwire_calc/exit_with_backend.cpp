// Helper of the tests: a program that installs a backend for an office,
// writes 42 into A1 of a new workbook there and ends with the connection
// still open, as the program does at exit.
//   exit_with_backend <profile URL> <pipe name>

#include "sheetwire/CalcBackend.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    sheetwire::setAutomationBackend(
        std::make_shared<sheetwire::CalcBackend>(sheetwire::CalcOffice{argv[1], argv[2]}));
    const auto application = sheetwire::automationBackend()->AttachRunning();
    if (!application)
        return 3;
    auto workbook = application->Workbooks()->Add();
    workbook->Worksheets()->Item(1)->Range("A1", "A1")->PutValue(std::int32_t{42});
    application->Flush();
    std::printf("%s\n", workbook->Name().c_str());
    return 0;
}
