#include <windows.h>

#include <cstdint>

#include "common/dialog_controls.h"
#include "common/heap.h"
#include "common/name_controls.h"
#include "pages/users/pending_edit_user.h"
#include "pages/users/user_change_plan.h"
#include "pages/users/user_record.h"
#include "plugin/page_host.h"
#include "plugin/page_registry.h"
#include "resources/resource_ids.h"

namespace {

const int flagCheckIds[userFlagCount] = {
    IDC_EDITUSER_FLAG_SITEOP,   IDC_EDITUSER_FLAG_GADMIN,   IDC_EDITUSER_FLAG_GLOCK,
    IDC_EDITUSER_FLAG_EXEMPT,   IDC_EDITUSER_FLAG_COLOR,    IDC_EDITUSER_FLAG_DELETED,
    IDC_EDITUSER_FLAG_USEREDIT, IDC_EDITUSER_FLAG_ANONYMOUS, IDC_EDITUSER_FLAG_NUKE,
    IDC_EDITUSER_FLAG_UNNUKE,   IDC_EDITUSER_FLAG_UNDUPE,   IDC_EDITUSER_FLAG_KICK,
    IDC_EDITUSER_FLAG_KILL,     IDC_EDITUSER_FLAG_TAKE,     IDC_EDITUSER_FLAG_GIVE,
    IDC_EDITUSER_FLAG_USERS,    IDC_EDITUSER_FLAG_IDLER,
};

const int ipMaskEditIds[userIpMaskCount] = {
    IDC_EDITUSER_IP0, IDC_EDITUSER_IP1, IDC_EDITUSER_IP2, IDC_EDITUSER_IP3, IDC_EDITUSER_IP4,
    IDC_EDITUSER_IP5, IDC_EDITUSER_IP6, IDC_EDITUSER_IP7, IDC_EDITUSER_IP8, IDC_EDITUSER_IP9,
};

struct DetailEdit {
    int id;
    char* UserRecord::*field;
    const char* UserChangeForm::*formText;
};

const DetailEdit detailEdits[] = {
    {IDC_EDITUSER_PASSWORD, &UserRecord::password, &UserChangeForm::password},
    {IDC_EDITUSER_MAX_LOGINS, &UserRecord::maxLogins, &UserChangeForm::maxLogins},
    {IDC_EDITUSER_GROUP_SLOTS, &UserRecord::gadminSlots, &UserChangeForm::gadminSlots},
    {IDC_EDITUSER_LEECH_SLOTS, &UserRecord::leechSlots, &UserChangeForm::leechSlots},
    {IDC_EDITUSER_TIME_LIMIT, &UserRecord::timeLimit, &UserChangeForm::timeLimit},
    {IDC_EDITUSER_RATIO, &UserRecord::ratio, &UserChangeForm::ratio},
    {IDC_EDITUSER_ALLOTMENT, &UserRecord::weeklyAllotment, &UserChangeForm::weeklyAllotment},
    {IDC_EDITUSER_CREDITS, &UserRecord::credits, &UserChangeForm::credits},
    {IDC_EDITUSER_TAGLINE, &UserRecord::tagline, &UserChangeForm::tagline},
    {IDC_EDITUSER_DL_SPEED, &UserRecord::maxDownloadSpeed, &UserChangeForm::maxDownloadSpeed},
    {IDC_EDITUSER_UL_SPEED, &UserRecord::maxUploadSpeed, &UserChangeForm::maxUploadSpeed},
};

constexpr int detailEditCount = sizeof detailEdits / sizeof detailEdits[0];

// The group lists and their move buttons, switched with the edits and check
// boxes.
const int groupControlIds[] = {
    IDC_EDITUSER_AVAIL_GROUPS,        IDC_EDITUSER_MEMBER_GROUPS,
    IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS,
    IDC_EDITUSER_ADD_GROUP,           IDC_EDITUSER_REMOVE_GROUP,
    IDC_EDITUSER_ADD_PRIVATE_GROUP,   IDC_EDITUSER_REMOVE_PRIVATE_GROUP,
};

bool closeUpPending = false;
// The combo index of the user whose server values the record holds, -1 when
// it holds none (a captured form, a failed load). Change compares against the
// record, so it runs only while this names the selected user.
std::int32_t changeUserIndex = -1;

void postGetInfo(HWND page) {
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_EDITUSER_GET_INFO, 0), 0);
}

void enableChange(HWND page) {
    const bool allowed = changeUserIndex >= 0 &&
                         changeUserIndex == comboSelection(page, IDC_EDITUSER_USERNAME);
    EnableWindow(GetDlgItem(page, IDC_EDITUSER_CHANGE), allowed ? TRUE : FALSE);
}

void setUserEditControls(HWND page, bool enable) {
    const BOOL state = enable ? TRUE : FALSE;
    for (const DetailEdit& edit : detailEdits) {
        EnableWindow(GetDlgItem(page, edit.id), state);
    }
    for (int id : flagCheckIds) {
        EnableWindow(GetDlgItem(page, id), state);
    }
    for (int id : ipMaskEditIds) {
        EnableWindow(GetDlgItem(page, id), state);
    }
    for (int id : groupControlIds) {
        EnableWindow(GetDlgItem(page, id), state);
    }
    if (enable) {
        enableChange(page);
    } else {
        EnableWindow(GetDlgItem(page, IDC_EDITUSER_CHANGE), FALSE);
    }
}

char* dupListBoxItemText(HWND list, int index) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) {  // LB_ERR
        return nullptr;
    }
    char* text = static_cast<char*>(heapAlloc(static_cast<std::size_t>(length) + 1));
    const LRESULT copied =
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    text[copied >= 0 && copied <= length ? copied : 0] = '\0';
    return text;
}

NameList* readListBoxNames(HWND page, int listId) {
    HWND list = GetDlgItem(page, listId);
    NameList* names = nullptr;
    NameList* last = nullptr;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int index = 0; index < count; ++index) {
        char* text = dupListBoxItemText(list, index);
        if (text != nullptr) {
            last = appendNameAfter(names, last, text);
            freeText(text);
        }
    }
    return names;
}

void removeMembersFrom(HWND page, int availableId, const NameList* members) {
    HWND list = GetDlgItem(page, availableId);
    for (; members != nullptr; members = members->next) {
        const LRESULT found =
            SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(members->text));
        if (found != LB_ERR) {
            SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(found), 0);
        }
    }
}

// Selects the handed-over user and loads it; the editing controls keep the
// state they were created in.
void takeHandOver(HWND page) {
    char* name = takePendingEditUser();
    clearUserRecord();
    HWND combo = GetDlgItem(page, IDC_EDITUSER_USERNAME);
    LRESULT found = CB_ERR;
    if (loadUserRecord(name)) {
        found = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(name));
    }
    // CB_ERR (-1) as an index clears the selection.
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    changeUserIndex = found != CB_ERR ? static_cast<std::int32_t>(found) : -1;
    enableChange(page);
    freeText(name);
}

void showUserRecord(HWND page, bool firstTime) {
    if (firstTime) {
        fillUserControl(GetDlgItem(page, IDC_EDITUSER_USERNAME));
        changeUserIndex = -1;
        if (pendingEditUser != nullptr) {
            takeHandOver(page);
        } else {
            SendDlgItemMessageA(page, IDC_EDITUSER_USERNAME, CB_SETCURSEL,
                                static_cast<WPARAM>(editUserIndex == -1 ? 0 : editUserIndex), 0);
            setUserEditControls(page, false);
        }
    }
    // Absent values leave what the edit showed.
    for (const DetailEdit& edit : detailEdits) {
        if (userRecord.*edit.field != nullptr) {
            setControlText(page, edit.id, userRecord.*edit.field);
        }
    }
    for (int slot = 0; slot < userFlagCount; ++slot) {
        CheckDlgButton(page, flagCheckIds[slot], userRecord.flags[slot] ? BST_CHECKED : BST_UNCHECKED);
    }
    for (int slot = 0; slot < userIpMaskCount; ++slot) {
        if (userRecord.ipMasks[slot] != nullptr) {
            setControlText(page, ipMaskEditIds[slot], userRecord.ipMasks[slot]);
        }
    }
    const int emptiedInOrder[] = {IDC_EDITUSER_AVAIL_GROUPS, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS,
                                  IDC_EDITUSER_MEMBER_GROUPS, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS};
    for (int id : emptiedInOrder) {
        SendDlgItemMessageA(page, id, LB_RESETCONTENT, 0, 0);
    }
    fillGroupControl(GetDlgItem(page, IDC_EDITUSER_AVAIL_GROUPS), false, false);
    fillGroupControl(GetDlgItem(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), true, false);
    fillNameControl(GetDlgItem(page, IDC_EDITUSER_MEMBER_GROUPS), userRecord.groups, false);
    fillNameControl(GetDlgItem(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), userRecord.privateGroups,
                    false);
    removeMembersFrom(page, IDC_EDITUSER_AVAIL_GROUPS, userRecord.groups);
    removeMembersFrom(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, userRecord.privateGroups);
}

// An edit whose value the reply lacked would go on showing the previous
// account's text, and Change would then write that text into this account.
void emptyEditsTheReplyLacked(HWND page) {
    for (const DetailEdit& edit : detailEdits) {
        if (userRecord.*edit.field == nullptr) {
            setControlText(page, edit.id, nullptr);
        }
    }
    for (int slot = 0; slot < userIpMaskCount; ++slot) {
        if (userRecord.ipMasks[slot] == nullptr) {
            setControlText(page, ipMaskEditIds[slot], nullptr);
        }
    }
}

void getUserInfo(HWND page) {
    // The reload a close-up posted has come; a later selection change is the
    // operator's own again.
    closeUpPending = false;
    clearUserRecord();
    changeUserIndex = -1;
    const int selected = comboSelection(page, IDC_EDITUSER_USERNAME);
    char* name = dupComboItemText(page, IDC_EDITUSER_USERNAME, selected);
    if (name == nullptr) {
        editUserIndex = -1;
        showUserRecord(page, false);
        setUserEditControls(page, false);
        return;
    }
    if (loadUserRecord(name)) {
        changeUserIndex = selected;
        emptyEditsTheReplyLacked(page);
        showUserRecord(page, false);
        setUserEditControls(page, true);
    } else {
        // The form stays, but there is nothing left to compare it with.
        enableChange(page);
    }
    freeText(name);
}

void captureEditUserPage(HWND page) {
    clearUserRecord();
    for (const DetailEdit& edit : detailEdits) {
        userRecord.*edit.field = dupControlText(page, edit.id);
    }
    for (int slot = 0; slot < userFlagCount; ++slot) {
        userRecord.flags[slot] = IsDlgButtonChecked(page, flagCheckIds[slot]) == BST_CHECKED;
    }
    for (int slot = 0; slot < userIpMaskCount; ++slot) {
        userRecord.ipMasks[slot] = dupControlText(page, ipMaskEditIds[slot]);
    }
    editUserIndex = comboSelection(page, IDC_EDITUSER_USERNAME);
    userRecord.groups = readListBoxNames(page, IDC_EDITUSER_MEMBER_GROUPS);
    userRecord.privateGroups = readListBoxNames(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS);
    changeUserIndex = -1;
}

void moveSelectedGroup(HWND page, int sourceId, int targetId) {
    HWND source = GetDlgItem(page, sourceId);
    const LRESULT selected = SendMessageA(source, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) {
        return;
    }
    char* name = dupListBoxItemText(source, static_cast<int>(selected));
    if (name == nullptr) {
        return;
    }
    SendMessageA(source, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    // A sorted list puts it in its place, an unsorted one at the end.
    SendDlgItemMessageA(page, targetId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    freeText(name);
}

// The form's texts, owned for the length of one Change.
struct FormCopy {
    UserChangeForm form;
    char* details[detailEditCount];
    char* masks[userIpMaskCount];
    NameList* groups;
    NameList* privateGroups;
};

void copyForm(HWND page, const char* userName, FormCopy& copy) {
    copy.form = UserChangeForm{};
    copy.form.userName = userName;
    for (int i = 0; i < detailEditCount; ++i) {
        copy.details[i] = dupControlText(page, detailEdits[i].id);
        copy.form.*detailEdits[i].formText = copy.details[i];
    }
    for (int slot = 0; slot < userIpMaskCount; ++slot) {
        copy.masks[slot] = dupControlText(page, ipMaskEditIds[slot]);
        copy.form.ipMasks[slot] = copy.masks[slot];
    }
    for (int slot = 0; slot < userFlagCount; ++slot) {
        copy.form.flags[slot] = IsDlgButtonChecked(page, flagCheckIds[slot]) == BST_CHECKED;
    }
    copy.groups = readListBoxNames(page, IDC_EDITUSER_MEMBER_GROUPS);
    copy.privateGroups = readListBoxNames(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS);
    copy.form.groups = copy.groups;
    copy.form.privateGroups = copy.privateGroups;
}

void releaseForm(FormCopy& copy) {
    for (char* text : copy.details) {
        freeText(text);
    }
    for (char* mask : copy.masks) {
        freeText(mask);
    }
    freeNameList(copy.groups);
    freeNameList(copy.privateGroups);
}

bool sendChangeCommand(const CommandText& command, void*) {
    return sendCheckedCommand(command);
}

void writeUserChanges(HWND page) {
    const int selected = comboSelection(page, IDC_EDITUSER_USERNAME);
    if (changeUserIndex < 0 || selected != changeUserIndex) {
        return;  // no server values of the selected user to compare with
    }
    char* userName = dupComboItemText(page, IDC_EDITUSER_USERNAME, selected);
    if (userName == nullptr) {
        return;
    }
    FormCopy copy;
    copyForm(page, userName, copy);
    // "?" (keep the password) holds no blank and passes.
    if (refuseBlankField(page, IDC_EDITUSER_PASSWORD, WORD_PASSWORD, copy.form.password)) {
        releaseForm(copy);
        freeText(userName);
        return;
    }
    if (taglineTooLongToSend(copy.form, userRecord)) {
        showParameterError(page, "The tagline can be at most 63 characters long");
        releaseForm(copy);
        freeText(userName);
        return;
    }
    const UserChangeResult result =
        writeUserChangePlan(copy.form, userRecord, sendChangeCommand, nullptr);
    releaseForm(copy);
    freeText(userName);
    if (userChangeNeedsReload(result)) {
        postGetInfo(page);
    }
}

void onUserComboNotification(HWND page, int code) {
    if (code == CBN_SELCHANGE) {
        // A selection that no reload follows: the form no longer belongs to it.
        if (!closeUpPending) {
            changeUserIndex = -1;
            setUserEditControls(page, false);
        }
        closeUpPending = false;
    } else if (code == CBN_CLOSEUP) {
        closeUpPending = true;
        postGetInfo(page);
    }
}

void onCommand(HWND page, int id, int code) {
    if (id == IDC_EDITUSER_USERNAME) {
        onUserComboNotification(page, code);
        return;
    }
    if (code != 0) {
        return;
    }
    switch (id) {
    case IDC_EDITUSER_GET_INFO:
        getUserInfo(page);
        break;
    case IDC_EDITUSER_CHANGE:
        writeUserChanges(page);
        break;
    case IDC_EDITUSER_ADD_GROUP:
        moveSelectedGroup(page, IDC_EDITUSER_AVAIL_GROUPS, IDC_EDITUSER_MEMBER_GROUPS);
        break;
    case IDC_EDITUSER_REMOVE_GROUP:
        moveSelectedGroup(page, IDC_EDITUSER_MEMBER_GROUPS, IDC_EDITUSER_AVAIL_GROUPS);
        break;
    case IDC_EDITUSER_ADD_PRIVATE_GROUP:
        moveSelectedGroup(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS);
        break;
    case IDC_EDITUSER_REMOVE_PRIVATE_GROUP:
        moveSelectedGroup(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS);
        break;
    default:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK editUserPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showUserRecord(page, true);
        return TRUE;
    case WM_DESTROY:
        captureEditUserPage(page);
        return FALSE;
    case WM_COMMAND:
        onCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_PAGE_FOCUS:
        SetFocus(GetDlgItem(page, IDC_EDITUSER_USERNAME));
        return FALSE;
    default:
        return FALSE;
    }
}
