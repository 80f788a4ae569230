#include "GuiTest.h"

#include "uikit/MessageBox.h"
#include "uikit/StringTable.h"

#include <wx/msgdlg.h>

#include <atomic>
#include <thread>

using uikit::MessageButtons;
using uikit::MessageIcon;

TEST(StringTable, LooksUpAndFillsTheArgument)
{
    const uikit::StringTable table{{1, "通訊錯誤: 連接超時"}, {147, "ID: %1\n%1!"}};
    EXPECT_EQ(table.get(1), "通訊錯誤: 連接超時");
    EXPECT_EQ(table.get(2), "");
    EXPECT_EQ(table.format(147, "7"), "ID: 7\n7!");
    EXPECT_EQ(uikit::fillArgument("100%", "x"), "100%");
    EXPECT_EQ(uikit::fillArgument("%%1", "x"), "%x");
}

TEST(MessageBox, ShowsJapaneseButtonsAndReturnsTheAnswer)
{
    int answer = 0;
    wxTEST_DIALOG(answer = uikit::messageBox("終了しますか？", "title", MessageIcon::Question,
                                             MessageButtons::OkCancel),
                  ExpectDialog<wxMessageDialog>([](wxMessageDialog& box) {
                      EXPECT_EQ(box.GetOKLabel().utf8_string(), "OK");
                      EXPECT_EQ(box.GetCancelLabel().utf8_string(), "ｷｬﾝｾﾙ");
                      EXPECT_EQ(box.GetTitle().utf8_string(), "title");
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(answer, wxID_CANCEL);

    wxTEST_DIALOG(answer = uikit::messageBox("校正が正常に終了しました。", "t", MessageIcon::Information),
                  ExpectMessage("校正が正常に終了しました。", wxID_OK, wxICON_INFORMATION));
    EXPECT_EQ(answer, wxID_OK);
}

TEST(MessageBox, AWorkersRequestIsShownOnTheUiThreadAndTheWorkerWaits)
{
    std::atomic<int> answer{0};
    std::atomic<bool> finished{false};
    wxTEST_DIALOG(
        {
            std::thread worker([&] {
                answer = uikit::messageBox("from worker", "t");
                finished = true;
            });
            // The worker cannot finish until the UI thread serves its request.
            EXPECT_TRUE(pumpUntil([&] { return finished.load(); }));
            worker.join();
        },
        ExpectMessage("from worker", wxID_OK));
    EXPECT_EQ(answer.load(), wxID_OK);
}

TEST(MessageBoxDeathTest, OnceTheBoxesHaveEndedNothingIsShownAndNobodyWaits)
{
    // Ending the boxes is for the rest of the process: in a child of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            uikit::endMessageBoxes();
            int answers = 0;
            {
                GTestModalHook noDialog(__FILE__, __LINE__);
                answers += uikit::messageBox("on the UI thread", "t") == wxID_CANCEL;
                // Nobody serves the worker's request: it must not wait.
                std::thread worker([&] { answers += uikit::messageBox("from a worker", "t") == wxID_CANCEL; });
                worker.join();
            }
            std::exit(answers == 2 && !testing::Test::HasFailure() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "on the UI thread\nfrom a worker\n");
}
