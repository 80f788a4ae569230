#pragma once
// Runs code with the modal hook in place and no dialog expected: any message
// box or dialog it shows is a test failure (and is cancelled, not waited on).

#include "GuiTest.h"

#define EXPECT_NO_DIALOG(code)                                  \
    do {                                                        \
        GTestModalHook noDialogHook(__FILE__, __LINE__);        \
        code;                                                   \
    } while (false)
