// The nuke and unnuke dialog through the real DialogNuke export, driven from
// inside its modal loop.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

constexpr bool nuke = true;
constexpr bool unnuke = false;

void endWith(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// UDN_DELTAPOS exactly as the up-down control sends it to its parent.
void notifyStep(HWND dialog, int delta) {
    HWND spin = GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER_SPIN);
    NMUPDOWN change{};
    change.hdr.hwndFrom = spin;
    change.hdr.idFrom = IDC_RELEASE_MULTIPLIER_SPIN;
    change.hdr.code = UDN_DELTAPOS;
    change.iPos = static_cast<int>(SendMessageA(spin, UDM_GETPOS32, 0, 0));
    change.iDelta = delta;
    SendMessageA(dialog, WM_NOTIFY, IDC_RELEASE_MULTIPLIER_SPIN, reinterpret_cast<LPARAM>(&change));
}

// A mouse click on one arrow of the real up-down control.
void clickArrow(HWND dialog, bool up) {
    HWND spin = GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER_SPIN);
    RECT area;
    GetClientRect(spin, &area);
    const LPARAM point = MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom * 3 / 4);
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(spin, WM_LBUTTONUP, 0, point);
}

std::string multiplier(HWND dialog) {
    return getText(dialog, IDC_RELEASE_MULTIPLIER);
}

std::string reason(HWND dialog) {
    return getText(dialog, IDC_RELEASE_REASON);
}

void expectCentred(HWND dialog) {
    RECT frame;
    ASSERT_TRUE(GetWindowRect(dialog, &frame));
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
}

class ReleaseDialog : public PluginTest {
protected:
    // Types a reason (and a multiplier unless null) and ends with OK.
    std::int32_t answer(bool isNuke, const std::string& typedReason, const char* typedMultiplier,
                        char* reasonOut) {
        char directory[] = "Some.Release-GRP";
        return runNuke(isNuke, directory, reasonOut, [&](HWND dialog) {
            setText(dialog, IDC_RELEASE_REASON, typedReason);
            if (typedMultiplier != nullptr) {
                setText(dialog, IDC_RELEASE_MULTIPLIER, typedMultiplier);
            }
            endWith(dialog, IDOK);
        });
    }

    // Opens a dialog, reads its reason and multiplier fields, and cancels.
    void peek(bool isNuke, std::string* shownReason, std::string* shownMultiplier) {
        char directory[] = "Some.Release-GRP";
        runNuke(isNuke, directory, nullptr, [&](HWND dialog) {
            *shownReason = reason(dialog);
            if (shownMultiplier != nullptr) {
                *shownMultiplier = multiplier(dialog);
            }
            endWith(dialog, IDCANCEL);
        });
    }
};

}  // namespace

TEST_F(ReleaseDialog, TheNukeDialogShowsItsTitleDirectoryAndMultiplierCentred) {
    char directory[] = "/site/incoming/NUKED-Some.Release-GRP";
    bool ran = false;
    const std::int32_t result = runNuke(nuke, directory, nullptr, [&](HWND dialog) {
        ran = true;
        EXPECT_EQ(windowText(dialog), "Nuke a release");
        EXPECT_EQ(getText(dialog, IDC_RELEASE_DIRECTORY), "/site/incoming/NUKED-Some.Release-GRP");
        EXPECT_EQ(multiplier(dialog), "1");
        EXPECT_EQ(reason(dialog), "");
        EXPECT_TRUE(isEnabled(dialog, IDC_RELEASE_MULTIPLIER));
        EXPECT_TRUE(isEnabled(dialog, IDC_RELEASE_MULTIPLIER_SPIN));
        EXPECT_EQ(focusedControl(), GetDlgItem(dialog, IDC_RELEASE_MULTIPLIER));
        expectCentred(dialog);
        endWith(dialog, IDCANCEL);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(directory, "/site/incoming/NUKED-Some.Release-GRP");  // a nuke keeps the name
}

TEST_F(ReleaseDialog, TheUnnukeDialogStripsTheNukeWordInTheHostsBufferEvenOnCancel) {
    char directory[] = "[NUKED]-Some.Release-GRP\0tail";
    char reasonOut[256];
    std::memset(reasonOut, 'x', sizeof reasonOut);
    const std::int32_t result = runNuke(unnuke, directory, reasonOut, [&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), "Unnuke a release");
        EXPECT_EQ(getText(dialog, IDC_RELEASE_DIRECTORY), "Some.Release-GRP");
        EXPECT_EQ(multiplier(dialog), "");
        EXPECT_FALSE(isEnabled(dialog, IDC_RELEASE_MULTIPLIER));
        EXPECT_FALSE(isEnabled(dialog, IDC_RELEASE_MULTIPLIER_SPIN));
        EXPECT_EQ(focusedControl(), GetDlgItem(dialog, IDC_RELEASE_REASON));
        expectCentred(dialog);
        setText(dialog, IDC_RELEASE_REASON, "fixed");
        endWith(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(reasonOut[0], 'x');
    EXPECT_STREQ(directory, "Some.Release-GRP");
    EXPECT_STREQ(directory + std::strlen("[NUKED]-Some.Release-GRP") + 1, "tail");

    char plain[] = "Some.Release-NUKED";
    char unnamed[] = "NUKED--";
    runNuke(unnuke, plain, nullptr, [](HWND dialog) { endWith(dialog, IDCANCEL); });
    runNuke(unnuke, unnamed, nullptr, [](HWND dialog) { endWith(dialog, IDCANCEL); });
    EXPECT_STREQ(plain, "Some.Release-NUKED");
    EXPECT_STREQ(unnamed, "NUKED--");
}

TEST_F(ReleaseDialog, TheMultiplierStepsFromOneDownToZeroAndNoFurther) {
    std::vector<std::string> seen;
    runNuke(nuke, nullptr, nullptr, [&](HWND dialog) {
        seen.push_back(multiplier(dialog));
        notifyStep(dialog, 1);  // down
        seen.push_back(multiplier(dialog));
        notifyStep(dialog, 1);
        seen.push_back(multiplier(dialog));
        notifyStep(dialog, -1);  // up
        seen.push_back(multiplier(dialog));
        // The real arrows: the up arrow proposes a negative change.
        clickArrow(dialog, true);
        seen.push_back(multiplier(dialog));
        clickArrow(dialog, true);
        seen.push_back(multiplier(dialog));
        clickArrow(dialog, false);
        seen.push_back(multiplier(dialog));
        // Typed text is the value the next step starts from.
        setText(dialog, IDC_RELEASE_MULTIPLIER, "12");
        notifyStep(dialog, -1);
        seen.push_back(multiplier(dialog));
        endWith(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "0", "0", "1", "2", "3", "2", "13"}));
}

TEST_F(ReleaseDialog, AnEmptyReasonIsRefusedAndTheDialogStaysOpen) {
    char reasonOut[256];
    std::memset(reasonOut, 'x', sizeof reasonOut);
    // Refused, then cancelled: the result shows that OK did not end the dialog.
    for (bool isNuke : {nuke, unnuke}) {
        EXPECT_EQ(runNuke(isNuke, nullptr, reasonOut, [](HWND dialog) {
                      clickButton(dialog, IDOK);
                      endWith(dialog, IDCANCEL);
                  }),
                  -1);
    }
    EXPECT_EQ(reasonOut[0], 'x');
    ASSERT_EQ(messageBoxes.size(), 2u);
    const char* const refusals[] = {"You need to specify a nuke reason",
                                    "You need to specify an unnuke reason"};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(messageBoxes[i].title, "Parameter error");
        EXPECT_EQ(messageBoxes[i].text, refusals[i]);
    }

    // Refused, then the operator types a reason and confirms.
    messageBoxes.clear();
    std::string keptMultiplier;
    const std::int32_t result = runNuke(nuke, nullptr, reasonOut, [&](HWND dialog) {
        setText(dialog, IDC_RELEASE_MULTIPLIER, "4");
        clickButton(dialog, IDOK);
        keptMultiplier = multiplier(dialog);
        setText(dialog, IDC_RELEASE_REASON, "dupe");
        clickButton(dialog, IDOK);
    });
    EXPECT_EQ(result, 4);
    EXPECT_EQ(keptMultiplier, "4");
    EXPECT_STREQ(reasonOut, "dupe");
    EXPECT_EQ(messageBoxes.size(), 1u);
}

TEST_F(ReleaseDialog, TheReasonIsCopiedIntoTheHostBufferPaddedOrCut) {
    char reasonOut[256];
    std::memset(reasonOut, 'x', sizeof reasonOut);
    EXPECT_EQ(answer(nuke, "dupe", nullptr, reasonOut), 1);
    EXPECT_EQ(std::string(reasonOut, 4), "dupe");
    for (std::size_t i = 4; i < sizeof reasonOut; ++i) {
        ASSERT_EQ(reasonOut[i], '\0') << "byte " << i;
    }

    const std::string longReason(300, 'r');
    std::memset(reasonOut, 'x', sizeof reasonOut);
    EXPECT_EQ(answer(unnuke, longReason, nullptr, reasonOut), 0);
    EXPECT_EQ(std::string(reasonOut, 255), longReason.substr(0, 255));
    EXPECT_EQ(reasonOut[255], '\0');
    std::string shown;
    peek(unnuke, &shown, nullptr);
    EXPECT_EQ(shown, longReason);  // the dialog itself keeps the whole text
}

TEST_F(ReleaseDialog, ReasonAndMultiplierAreRememberedAfterOkAndCancelApartPerKind) {
    char reasonOut[256];
    std::string shownReason;
    std::string shownMultiplier;

    // Cancelled after typing: the next nuke dialog starts with what was typed.
    char directory[] = "Some.Release-GRP";
    std::memset(reasonOut, 'x', sizeof reasonOut);
    EXPECT_EQ(runNuke(nuke, directory, reasonOut, [](HWND dialog) {
                  setText(dialog, IDC_RELEASE_REASON, "bad.rip");
                  setText(dialog, IDC_RELEASE_MULTIPLIER, "3");
                  endWith(dialog, IDCANCEL);
              }),
              -1);
    EXPECT_EQ(reasonOut[0], 'x');
    peek(nuke, &shownReason, &shownMultiplier);
    EXPECT_EQ(shownReason, "bad.rip");
    EXPECT_EQ(shownMultiplier, "3");

    // The unnuke dialog has its own reason and leaves the multiplier alone.
    peek(unnuke, &shownReason, nullptr);
    EXPECT_EQ(shownReason, "");
    EXPECT_EQ(answer(unnuke, "proper", nullptr, reasonOut), 0);
    EXPECT_STREQ(reasonOut, "proper");
    peek(nuke, &shownReason, &shownMultiplier);
    EXPECT_EQ(shownReason, "bad.rip");
    EXPECT_EQ(shownMultiplier, "3");

    // The close box cancels too, and still keeps what was typed.
    runNuke(unnuke, directory, nullptr, [](HWND dialog) {
        setText(dialog, IDC_RELEASE_REASON, "changed mind");
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    peek(unnuke, &shownReason, nullptr);
    EXPECT_EQ(shownReason, "changed mind");

    // OK keeps the confirmed values for the next time.
    EXPECT_EQ(answer(nuke, "stolen", "007", reasonOut), 7);
    peek(nuke, &shownReason, &shownMultiplier);
    EXPECT_EQ(shownReason, "stolen");
    EXPECT_EQ(shownMultiplier, "7");
    EXPECT_EQ(answer(nuke, "stolen", nullptr, reasonOut), 7);
}

TEST_F(ReleaseDialog, AClearedMultiplierIsZeroAndAHugeOneClamps) {
    char reasonOut[256];
    EXPECT_EQ(answer(nuke, "empty", "", reasonOut), 0);
    std::string shownReason;
    std::string shownMultiplier;
    peek(nuke, &shownReason, &shownMultiplier);
    EXPECT_EQ(shownMultiplier, "0");

    EXPECT_EQ(answer(nuke, "huge", "99999999999", reasonOut), 2147483647);
    std::vector<std::string> seen;
    runNuke(nuke, nullptr, nullptr, [&](HWND dialog) {
        seen.push_back(multiplier(dialog));
        notifyStep(dialog, -1);  // up, at the top of the range already
        seen.push_back(multiplier(dialog));
        setText(dialog, IDC_RELEASE_MULTIPLIER, "99999999999");
        notifyStep(dialog, 1);
        seen.push_back(multiplier(dialog));
        endWith(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"2147483647", "2147483647", "2147483646"}));
}

TEST_F(ReleaseDialog, APastedNegativeMultiplierIsZeroNeverTheCancelValue) {
    char reasonOut[256];
    EXPECT_EQ(answer(nuke, "signed", "-1", reasonOut), 0);
    EXPECT_STREQ(reasonOut, "signed");
    EXPECT_EQ(answer(nuke, "signed", "-99999999999", reasonOut), 0);
}

TEST_F(ReleaseDialog, ANullDirectoryShowsAnEmptyField) {
    std::string shown = "?";
    EXPECT_EQ(runNuke(unnuke, nullptr, nullptr, [&](HWND dialog) {
                  shown = getText(dialog, IDC_RELEASE_DIRECTORY);
                  endWith(dialog, IDCANCEL);
              }),
              -1);
    EXPECT_EQ(shown, "");
}

TEST_F(ReleaseDialog, AHundredDialogsOfEachKindHoldNoMoreThanTheFirst) {
    char reasonOut[256];
    std::int32_t afterFirst = -1;
    for (int round = 0; round < 100; ++round) {
        char directory[] = "NUKED-Some.Release-GRP";
        ASSERT_EQ(answer(nuke, "reason " + std::to_string(round), "2", reasonOut), 2);
        ASSERT_EQ(runNuke(unnuke, directory, reasonOut,
                          [&](HWND dialog) {
                              setText(dialog, IDC_RELEASE_REASON, "back " + std::to_string(round));
                              endWith(dialog, round % 2 == 0 ? IDOK : IDCANCEL);
                          }),
                  round % 2 == 0 ? 0 : -1);
        if (round == 0) {
            afterFirst = liveBlocks();
        }
    }
    EXPECT_EQ(liveBlocks(), afterFirst);  // one reason of each kind, nothing more
    EXPECT_EQ(unloadLibrary(), 0);
}
