// The port setup dialog: its logic without a display, its binding and layout
// under Xvfb through the modal hook, and the process-wide value tables.

#include "GuiTest.h"
#include "Layout.h"

#include "termin/PortSetup.h"
#include "termin/PortSetupDialog.h"
#include "termin/SerialPort.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

using termin::AvailableTables;
using termin::ListContents;
using termin::PortSettings;
using termin::PortSetupDialog;
using termin::PortSetupForm;
using termin::SerialPort;

namespace {

const std::vector<std::string> ports{"COM1", "COM2", "COM3", "COM4"};

// What a list of the dialog shows.
struct Shown {
    std::vector<std::string> labels;
    int selection;
    bool enabled;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os)
{
    *os << "{";
    for (const auto& l : s.labels)
        *os << '"' << l << "\" ";
    *os << "sel " << s.selection << (s.enabled ? " enabled}" : " disabled}");
}

wxChoice* choice(wxDialog& dlg, int id)
{
    auto* list = dynamic_cast<wxChoice*>(dlg.FindWindow(id));
    EXPECT_NE(list, nullptr) << id;
    return list;
}

Shown shown(wxDialog& dlg, int id)
{
    wxChoice* list = choice(dlg, id);
    Shown s{{}, list->GetSelection(), list->IsEnabled()};
    for (unsigned i = 0; i < list->GetCount(); ++i)
        s.labels.push_back(list->GetString(i).utf8_string());
    return s;
}

// The labels of the entries that a dialog selects for port's settings: the
// dialog is a view onto them. Cancels the dialog.
std::vector<std::string> selectedLabels(SerialPort& port)
{
    std::vector<std::string> labels;
    wxTEST_DIALOG(EXPECT_EQ(port.setupPort(nullptr), 2),
                  ExpectDialog<PortSetupDialog>([&](PortSetupDialog& dlg) {
                      for (int id = PortSetupDialog::BaudRateList; id <= PortSetupDialog::StopBitsList; ++id) {
                          const Shown s = shown(dlg, id);
                          labels.push_back(s.selection < 0 ? "-" : s.labels[std::size_t(s.selection)]);
                      }
                      press(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    return labels;
}

const AvailableTables sampleTables{
    {{1200, "1200"}, {9600, "9600"}},
    {{8, "8 bits"}},
    {},
    {{0, "1 bit"}, {2, "2 bits"}},
};

} // namespace

TEST(PortSetupForm, ShowsEachTableWithTheCurrentValueSelected)
{
    const PortSetupForm form(sampleTables, {"COM3", 9600, 7, 0, 2});
    EXPECT_EQ(form.portList().labels, ports);
    EXPECT_EQ(form.portList().selection, 0);
    EXPECT_TRUE(form.portList().enabled);

    const auto lists = form.lineLists();
    const struct {
        std::vector<std::string> labels;
        int selection;
        bool enabled;
    } expected[] = {
        {{"1200", "9600"}, 1, true},
        {{"8 bits"}, -1, false}, // 7 bits is not on offer
        {{}, -1, true},
        {{"1 bit", "2 bits"}, 1, true},
    };
    for (std::size_t i = 0; i < lists.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lists[i].labels, expected[i].labels);
        EXPECT_EQ(lists[i].selection, expected[i].selection);
        EXPECT_EQ(lists[i].enabled, expected[i].enabled);
    }
}

TEST(PortSetupForm, OkTakesTheSelectionsAndKeepsWhatHasNone)
{
    const struct {
        int port;
        std::array<int, 4> lines;
        PortSettings result;
    } cases[] = {
        {2, {0, 0, -1, 0}, {"COM3", 1200, 8, 4, 0}},
        {3, {1, -1, -1, 1}, {"COM4", 9600, 7, 4, 2}},
        // Out of range: the first port, the current line settings.
        {-1, {2, 1, 0, -1}, {"COM1", 4800, 7, 4, 1}},
        {4, {-1, -1, -1, 2}, {"COM1", 4800, 7, 4, 1}},
    };
    for (const auto& c : cases) {
        PortSetupForm form(sampleTables, {"COM7", 4800, 7, 4, 1});
        form.accept(c.port, c.lines);
        const PortSettings& s = form.settings();
        EXPECT_EQ(s.portName, c.result.portName);
        EXPECT_EQ(s.baudRate, c.result.baudRate);
        EXPECT_EQ(s.byteSize, c.result.byteSize);
        EXPECT_EQ(s.parity, c.result.parity);
        EXPECT_EQ(s.stopBits, c.result.stopBits);
    }
}

TEST(PortSetupDialog, IsTheTraditionalChineseTemplateInTabOrder)
{
    PortSetupDialog dlg(nullptr, sampleTables, {"COM1", 9600, 8, 0, 0});
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle().utf8_string(), "連接埠設定");
    EXPECT_EQ(dlg.GetFont().GetPointSize(), 8);
    EXPECT_EQ(dlg.GetFont().GetFaceName().utf8_string(), "Noto Sans CJK TC");

    std::vector<std::string> order;
    for (wxWindow* child : dlg.GetChildren()) {
        if (auto* label = dynamic_cast<wxStaticText*>(child))
            order.push_back(label->GetLabel().utf8_string());
        else if (auto* button = dynamic_cast<wxButton*>(child))
            order.push_back(button->GetLabel().utf8_string());
        else
            order.push_back(std::to_string(child->GetId()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"確定", "取消", "7000", "埠", "7001", "波特率", "7002",
                                               "數據長度", "7003", "7004", "奇偶", "終止位元"}));
    auto* ok = dynamic_cast<wxButton*>(dlg.FindWindow(wxID_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(dlg.GetDefaultItem(), ok);
}

TEST(PortSetupDialog, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    // Every value there is, so that the widest entries are in the lists.
    const AvailableTables everything{
        {{600, "600"}, {1200, "1200"}, {2400, "2400"}, {4800, "4800"}, {9600, "9600"},
         {14400, "14400"}, {19200, "19200"}, {38400, "38400"}},
        {{5, "5 bits"}, {6, "6 bits"}, {7, "7 bits"}, {8, "8 bits"}},
        {{0, "None"}, {1, "Odd"}, {2, "Even"}},
        {{0, "1 bit"}, {1, "1.5 bits"}, {2, "2 bits"}},
    };
    PortSetupDialog dlg(nullptr, everything, {"COM1", 9600, 8, 0, 0});
    dlg.InitDialog();
    EXPECT_EQ(expectTidyLayout(dlg), 12u);
}

TEST(PortSetupDialog, OffersTheProcessWideTables)
{
    SerialPort filler;
    SerialPort port;
    int result = 0;

    // Nothing declared yet: empty, enabled lists; the port list starts on
    // COM1 whatever the port; OK keeps the line settings.
    ASSERT_TRUE(port.setPortName("COM7"));
    port.setBaudRate(4800);
    wxTEST_DIALOG(result = port.setupPort(nullptr),
                  ExpectDialog<PortSetupDialog>([](PortSetupDialog& dlg) {
                      EXPECT_EQ(shown(dlg, PortSetupDialog::PortList), (Shown{ports, 0, true}));
                      for (int id = PortSetupDialog::BaudRateList; id <= PortSetupDialog::StopBitsList; ++id)
                          EXPECT_EQ(shown(dlg, id), (Shown{{}, -1, true})) << id;
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(port.getPortName(), "COM1");
    EXPECT_EQ(port.getBaudRate(), 4800);
    port.setBaudRate(9600);

    EXPECT_FALSE(filler.setAvailableBaudRate(115200));
    EXPECT_FALSE(filler.setAvailableByteSize(4));
    EXPECT_FALSE(filler.setAvailableParity(3));
    EXPECT_FALSE(filler.setAvailableStopBits(3));
    EXPECT_EQ(selectedLabels(port), (std::vector<std::string>{"-", "-", "-", "-"}));

    // What the program declares: one value each, shown selected and disabled.
    EXPECT_TRUE(filler.setAvailableBaudRate(9600));
    EXPECT_TRUE(filler.setAvailableByteSize(8));
    EXPECT_TRUE(filler.setAvailableParity(0));
    EXPECT_TRUE(filler.setAvailableStopBits(0));
    wxTEST_DIALOG(result = port.setupPort(nullptr),
                  ExpectDialog<PortSetupDialog>([](PortSetupDialog& dlg) {
                      EXPECT_EQ(shown(dlg, PortSetupDialog::PortList), (Shown{ports, 0, true}));
                      EXPECT_EQ(shown(dlg, PortSetupDialog::BaudRateList), (Shown{{"9600"}, 0, false}));
                      EXPECT_EQ(shown(dlg, PortSetupDialog::ByteSizeList), (Shown{{"8 bits"}, 0, false}));
                      EXPECT_EQ(shown(dlg, PortSetupDialog::ParityList), (Shown{{"None"}, 0, false}));
                      EXPECT_EQ(shown(dlg, PortSetupDialog::StopBitsList), (Shown{{"1 bit"}, 0, false}));
                      choice(dlg, PortSetupDialog::PortList)->SetSelection(1);
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(port.getPortName(), "COM2");
    EXPECT_EQ(port.getBaudRate(), 9600);
    EXPECT_EQ(selectedLabels(port), (std::vector<std::string>{"9600", "8 bits", "None", "1 bit"}));

    // A value given twice is listed once, in ascending order of value.
    EXPECT_TRUE(filler.setAvailableBaudRate(19200));
    EXPECT_TRUE(filler.setAvailableBaudRate(1200));
    EXPECT_TRUE(filler.setAvailableBaudRate(19200));
    wxTEST_DIALOG(result = port.setupPort(nullptr),
                  ExpectDialog<PortSetupDialog>([](PortSetupDialog& dlg) {
                      EXPECT_EQ(shown(dlg, PortSetupDialog::BaudRateList),
                                (Shown{{"1200", "9600", "19200"}, 1, true}));
                      choice(dlg, PortSetupDialog::BaudRateList)->SetSelection(2);
                      choice(dlg, PortSetupDialog::PortList)->SetSelection(3);
                      press(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(port.getPortName(), "COM2");
    EXPECT_EQ(port.getBaudRate(), 9600);

    // A current value that is not on offer and left unchosen is kept.
    port.setBaudRate(4800);
    wxTEST_DIALOG(result = port.setupPort(nullptr),
                  ExpectDialog<PortSetupDialog>([](PortSetupDialog& dlg) {
                      EXPECT_EQ(shown(dlg, PortSetupDialog::BaudRateList).selection, -1);
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(port.getBaudRate(), 4800);
    EXPECT_EQ(port.getPortName(), "COM1");

    wxTEST_DIALOG(result = port.setupPort(nullptr),
                  ExpectDialog<PortSetupDialog>([](PortSetupDialog& dlg) {
                      choice(dlg, PortSetupDialog::BaudRateList)->SetSelection(0);
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(port.getBaudRate(), 1200);
}
