#include "dialogcontrols.h"

#include "drawntreerows.h"
#include "hostperiodeditor.h"
#include "qelhostscript.h"

#include <tickcount.h>
#include <userinput.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace QelHost {

namespace {

struct ControlAction {
    std::string kind; // "pick", "row", "drop", "prop", or a drawn tree's "select", "expand",
                      // "dblclick", "key" or "type"
    int control = 0;
    std::string value;
};

bool Number(const std::string &text, long low, long high, long *number)
{
    char *end = nullptr;
    *number = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && *number >= low && *number <= high;
}

bool Parse(const std::string &action, ControlAction *parsed)
{
    size_t colon = action.find(':'), equals = action.find('=');
    if (colon == std::string::npos || equals == std::string::npos || equals < colon)
        return false;
    parsed->kind = action.substr(0, colon);
    static const char *const kinds[] = {"pick", "row", "drop", "prop", "select", "expand", "dblclick", "key", "type"};
    if (std::none_of(std::begin(kinds), std::end(kinds), [&](const char *kind) { return parsed->kind == kind; }))
        return false;
    long id = 0;
    if (!Number(action.substr(colon + 1, equals - colon - 1), -0x8000, 0xFFFF, &id))
        return false;
    parsed->control = static_cast<int>(id);
    parsed->value = action.substr(equals + 1);
    return true;
}

// A property put's "DISPID:VALUE", both decimal (a DISPID may be negative).
bool ParseProperty(const std::string &value, long *dispid, long *number)
{
    size_t colon = value.find(':');
    return colon != std::string::npos && Number(value.substr(0, colon), INT32_MIN, INT32_MAX, dispid) &&
           Number(value.substr(colon + 1), INT32_MIN, INT32_MAX, number);
}

// Row R and its flags ":state", ":double", in any order.
bool ParseRow(const std::string &value, int *row, bool *onState, bool *twice)
{
    size_t colon = value.find(':');
    long number = 0;
    if (!Number(value.substr(0, colon), 0, 0xFFFF, &number))
        return false;
    *row = static_cast<int>(number);
    *onState = *twice = false;
    while (colon != std::string::npos) {
        size_t next = value.find(':', colon + 1);
        std::string flag = value.substr(colon + 1, next == std::string::npos ? std::string::npos : next - colon - 1);
        if (flag == "state")
            *onState = true;
        else if (flag == "double")
            *twice = true;
        else
            return false;
        colon = next;
    }
    return true;
}

std::string ClassOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

// How long a user waits for a drawn tree's rows to show, in milliseconds.
const DWORD kMostWait = 10000;

// The messages that have come, handled; a quit is left for the loop that owns it.
void HandleMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}


// select:C=[+]PATH, expand:C=PATH, dblclick:C=PATH: the row that PATH names, waited for
// as a user waits for the tree to fill, then clicked on its name (with Ctrl held for
// "+"), on its button, or twice.
bool ActOnDrawnRow(HWND tree, const ControlAction &parsed, const std::string &action, std::string *error)
{
    std::string path = parsed.value;
    const bool joins = parsed.kind == "select" && !path.empty() && path[0] == '+';
    if (joins)
        path.erase(0, 1);
    DrawnTreeRows reader(tree, HandleMessages);
    const DWORD start = GetTickCount();
    std::vector<DrawnTreeRow> rows;
    int index = -1;
    for (;;) {
        HandleMessages();
        rows = reader.ReadAll();
        index = reader.Find(SplitItemPath(path), &rows);
        if (index >= 0 || GetTickCount() - start > kMostWait)
            break;
        Sleep(10);
    }
    DrawnTreeRow row;
    if (index < 0 || !reader.Reveal(static_cast<size_t>(index), &row)) {
        *error = action + ": control " + std::to_string(parsed.control) + " shows no row " + path;
        return false;
    }
    if (parsed.kind == "expand") {
        if (row.button == '.') {
            *error = action + ": the row " + path + " has no button";
            return false;
        }
        if (row.button == '+')
            reader.Click(row.buttonCenter, WM_LBUTTONDOWN, 0);
        // Its children come as the owner answers: the user waits for them.
        for (;;) {
            rows = reader.ReadAll();
            bool shown = static_cast<size_t>(index) + 1 < rows.size() && rows[index + 1].level > rows[index].level;
            if (shown || GetTickCount() - start > kMostWait)
                break;
            Sleep(10);
            HandleMessages();
        }
        return true;
    }
    if (joins)
        QelSetKeyState(VK_CONTROL, TRUE);
    reader.Click(row.nameCenter, parsed.kind == "dblclick" ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, joins ? MK_CONTROL : 0);
    if (joins)
        QelSetKeyState(VK_CONTROL, FALSE);
    return true;
}

std::string ListText(HWND list, int row, int column)
{
    char text[256] = "";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

} // namespace

bool IsControlAction(const std::string &action)
{
    ControlAction parsed;
    if (!Parse(action, &parsed))
        return false;
    long number = 0;
    int row = 0;
    bool onState = false, twice = false;
    if (parsed.kind == "pick")
        return Number(parsed.value, 0, 0xFFFF, &number);
    if (parsed.kind == "row")
        return ParseRow(parsed.value, &row, &onState, &twice);
    long dispid = 0;
    if (parsed.kind == "prop")
        return ParseProperty(parsed.value, &dispid, &number);
    if (parsed.kind == "key") {
        int key = 0;
        UINT modifiers = 0;
        return ParseKeyName(parsed.value, &key, &modifiers, nullptr);
    }
    if (parsed.kind == "select" || parsed.kind == "expand" || parsed.kind == "dblclick")
        return !parsed.value.empty() && parsed.value != "+";
    return true;
}

bool DoControlAction(HWND dialog, const std::string &action, std::string *error)
{
    ControlAction parsed;
    if (!Parse(action, &parsed)) {
        *error = action + ": no action";
        return false;
    }
    HWND control = GetDlgItem(dialog, parsed.control);
    if (control == nullptr) {
        *error = action + ": the dialog has no control " + std::to_string(parsed.control);
        return false;
    }
    if (parsed.kind == "pick") {
        if (SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(parsed.value.c_str())), 0) == CB_ERR) {
            *error = action + ": control " + std::to_string(parsed.control) + " has no such item";
            return false;
        }
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(parsed.control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return true;
    }
    if (parsed.kind == "prop") {
        long dispid = 0, number = 0;
        ParseProperty(parsed.value, &dispid, &number);
        CComPtr<IDispatch> item = HostControlDispatch(control);
        if (item == nullptr) {
            *error = action + ": control " + std::to_string(parsed.control) + " is no ActiveX item";
            return false;
        }
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(number);
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{};
        parameters.rgvarg = &value;
        parameters.cArgs = 1;
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
        EXCEPINFO exception{};
        HRESULT hr = item->Invoke(static_cast<DISPID>(dispid), IID_NULL, 0, DISPATCH_PROPERTYPUT, &parameters, nullptr,
                                  &exception, nullptr);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        if (FAILED(hr)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
            *error = action + ": the property put failed with " + code;
            return false;
        }
        return true;
    }
    if (parsed.kind == "select" || parsed.kind == "expand" || parsed.kind == "dblclick")
        return ActOnDrawnRow(control, parsed, action, error);
    if (parsed.kind == "key" || parsed.kind == "type") {
        SetFocus(control);
        if (parsed.kind == "type") {
            QelSendText(control, parsed.value.c_str());
        } else {
            int key = 0;
            UINT modifiers = 0;
            ParseKeyName(parsed.value, &key, &modifiers, nullptr);
            QelSendKey(control, key, modifiers);
        }
        HandleMessages();
        return true;
    }
    if (parsed.kind == "row") {
        int row = 0;
        bool onState = false, twice = false;
        ParseRow(parsed.value, &row, &onState, &twice);
        if (row >= SendMessageA(control, LVM_GETITEMCOUNT, 0, 0) || QelClickListItem(control, row, onState, twice) == -1) {
            *error = action + ": control " + std::to_string(parsed.control) + " has no row " + std::to_string(row);
            return false;
        }
        return true;
    }
    if (FAILED(QelDropText(control, parsed.value.data(), parsed.value.size(), nullptr))) {
        *error = action + ": control " + std::to_string(parsed.control) + " takes no drops";
        return false;
    }
    return true;
}

std::vector<std::string> ControlDetailLines(HWND control)
{
    std::vector<std::string> lines;
    const std::string name = ClassOf(control);
    if (_stricmp(name.c_str(), "ComboBox") == 0) {
        const LRESULT count = SendMessageA(control, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::string text(static_cast<size_t>(SendMessageA(control, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
            SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            lines.push_back("\t\titem\t" + std::to_string(i) + "\t" + OneLine(text.c_str()));
        }
    } else if (_stricmp(name.c_str(), WC_LISTVIEWA) == 0) {
        const LRESULT count = SendMessageA(control, LVM_GETITEMCOUNT, 0, 0);
        for (int row = 0; row < count; ++row) {
            UINT state = static_cast<UINT>(SendMessageA(control, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK)) >> 12;
            lines.push_back("\t\trow\t" + std::to_string(row) + "\t" + std::to_string(state) + "\t" +
                            OneLine(ListText(control, row, 0)) + "\t" + OneLine(ListText(control, row, 1)));
        }
    } else if (_stricmp(name.c_str(), PROGRESS_CLASSA) == 0) {
        lines.push_back("\t\tposition\t" + std::to_string(SendMessageA(control, PBM_GETPOS, 0, 0)));
    }
    return lines;
}

std::vector<std::string> DrawnTreeLines(HWND dialog)
{
    std::vector<std::string> lines;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        // A drawn tree is a window of the framework's own class, read by its pixels.
        if (ClassOf(control).rfind("Afx:", 0) != 0)
            continue;
        std::vector<DrawnTreeRow> rows = DrawnTreeRows(control, HandleMessages).ReadAll();
        if (rows.empty())
            continue;
        lines.push_back("\ttree\t" + std::to_string(GetDlgCtrlID(control)));
        for (const DrawnTreeRow &row : rows)
            lines.push_back("\t\trow\t" + std::to_string(row.level) + "\t" + row.button + "\t" + OneLine(row.name) + "\t" +
                            OneLine(row.value) + "\t" + row.Marks());
    }
    return lines;
}

std::string StableClassName(HWND control)
{
    // The framework's generated names carry the module's and other addresses, which
    // change from run to run.
    std::string name = ClassOf(control);
    return name.rfind("Afx:", 0) == 0 ? "Afx" : name;
}

std::string OneLine(const std::string &text)
{
    std::string line;
    for (char c : text) {
        if (c == '\t')
            line += "\\t";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if (c == '\\')
            line += "\\\\";
        else
            line += c;
    }
    return line;
}

} // namespace QelHost
