#include "trellup_driver.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>

namespace trellup::test {
namespace {

constexpr wchar_t kMainClass[] = L"TrellupMain";

// Memory in another process, freed when destroyed.
class Remote {
public:
    Remote(HANDLE process, size_t size) : process_(process) {
        p_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~Remote() {
        if (p_ != nullptr) VirtualFreeEx(process_, p_, 0, MEM_RELEASE);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    explicit operator bool() const { return p_ != nullptr; }
    template <typename T = void>
    T* at(size_t offset = 0) const {
        return reinterpret_cast<T*>(static_cast<char*>(p_) + offset);
    }
    bool Write(const void* data, size_t size, size_t offset = 0) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }
    bool Read(void* data, size_t size, size_t offset = 0) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_;
    void* p_ = nullptr;
};

struct FindMain {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainProc(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindMain*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == f->pid && wcscmp(cls, kMainClass) == 0 && IsWindowVisible(hwnd)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct FindId {
    int id;
    HWND found;
};

BOOL CALLBACK FindIdProc(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindId*>(lp);
    if (GetDlgCtrlID(hwnd) == f->id) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct FindTips {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK FindTipsProc(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindTips*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == f->pid && _wcsicmp(cls, TOOLTIPS_CLASSW) == 0) f->found.push_back(hwnd);
    return TRUE;
}

uint32_t Crc(const uint8_t* data, size_t n, uint32_t crc = 0xFFFFFFFFu) {
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    Be32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    Be32(png, Crc(body.data(), body.size()) ^ 0xFFFFFFFFu);
}

}  // namespace

Trellup::~Trellup() {
    if (process_ != nullptr) {
        Close(5000);
        CloseHandle(process_);
    }
}

bool Trellup::Start(const std::wstring& exe, DWORD timeout_ms) {
    const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/"));
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (GetTickCount64() < end) {
        FindMain f{pid_, nullptr};
        EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&f));
        if (f.found != nullptr) {
            main_ = f.found;
            Sync();
            return true;
        }
        if (WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return false;
    }
    return false;
}

bool Trellup::Close(DWORD timeout_ms) {
    if (process_ == nullptr) return true;
    if (main_ != nullptr && IsWindow(main_)) PostMessageW(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0) return true;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    return false;
}

HWND Trellup::Control(int id, HWND root) const {
    FindId f{id, nullptr};
    EnumChildWindows(root != nullptr ? root : main_, FindIdProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::wstring Trellup::Text(int id) const {
    HWND h = Control(id);
    if (h == nullptr) return L"<no control>";
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

bool Trellup::Visible(int id) const {
    HWND h = Control(id);
    return h != nullptr && IsWindowVisible(h);
}

bool Trellup::Enabled(int id) const {
    for (HWND h = Control(id); h != nullptr && h != main_; h = GetParent(h)) {
        if (!IsWindowEnabled(h)) return false;
    }
    return Control(id) != nullptr;
}

void Trellup::Sync() const {
    DWORD_PTR ignored;
    SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
}

void Trellup::Click(int id) const {
    HWND h = Control(id);
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    DWORD_PTR ignored;
    // Sent, so that it returns once the click has been handled.
    if (_wcsicmp(cls, L"Static") == 0) {
        SendMessageTimeoutW(GetParent(h), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(h),
                            SMTO_NORMAL, 60000, &ignored);
    } else {
        SendMessageTimeoutW(h, BM_CLICK, 0, 0, SMTO_NORMAL, 60000, &ignored);
    }
}

void Trellup::PostClick(int id) const {
    HWND h = Control(id);
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0) {
        // A picture reports its click to its parent itself.
        PostMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(h));
    } else {
        PostMessageW(h, BM_CLICK, 0, 0);
    }
}

void Trellup::Type(int id, wchar_t c) const {
    // Sent, like Click: a posted character followed by Sync could race,
    // because the handler may pump messages (a control object's call) and
    // answer Sync's message before it has finished.
    DWORD_PTR ignored;
    SendMessageTimeoutW(Control(id), WM_CHAR, c, 1, SMTO_NORMAL, 60000, &ignored);
}

void Trellup::SetText(int id, const std::wstring& text) const {
    HWND h = Control(id);
    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Sync();
}

std::vector<std::wstring> Trellup::ListItems(int id) const {
    HWND h = Control(id);
    std::vector<std::wstring> items;
    const int n = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const int len = static_cast<int>(SendMessageW(h, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
        std::wstring s(static_cast<size_t>(len < 0 ? 0 : len) + 1, L'\0');
        SendMessageW(h, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(wcslen(s.c_str()));
        items.push_back(s);
    }
    return items;
}

int Trellup::ListIndex(int id) const { return static_cast<int>(SendMessageW(Control(id), LB_GETCURSEL, 0, 0)); }

std::vector<Trellup::TreeItem> Trellup::Tree(int id) const {
    HWND tree = Control(id);
    std::vector<TreeItem> items;
    Remote mem(process_, sizeof(TVITEMW) + 520 * sizeof(wchar_t));
    if (!mem) return items;
    auto add = [&](HTREEITEM item, int level) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.hItem = item;
        tv.pszText = mem.at<wchar_t>(sizeof(TVITEMW));
        tv.cchTextMax = 512;
        mem.Write(&tv, sizeof tv);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.at()));
        mem.Read(&tv, sizeof tv);
        wchar_t text[513] = {};
        mem.Read(text, 512 * sizeof(wchar_t), sizeof(TVITEMW));
        items.push_back(TreeItem{item, text, tv.iImage, tv.iSelectedImage, level});
    };
    for (HTREEITEM c = TreeView_GetRoot(tree); c != nullptr; c = TreeView_GetNextSibling(tree, c)) {
        add(c, 0);
        for (HTREEITEM d = TreeView_GetChild(tree, c); d != nullptr; d = TreeView_GetNextSibling(tree, d)) add(d, 1);
    }
    return items;
}

HTREEITEM Trellup::FindTreeItem(int id, const std::wstring& parent_text, const std::wstring& text) const {
    std::wstring parent;
    for (const TreeItem& t : Tree(id)) {
        if (t.level == 0) parent = t.text;
        if (t.text == text && (t.level == 0 ? parent_text.empty() : parent == parent_text)) return t.item;
    }
    return nullptr;
}

HTREEITEM Trellup::SelectedTreeItem(int id) const { return TreeView_GetSelection(Control(id)); }

bool Trellup::ClickTreeItem(int id, HTREEITEM item, bool right) const {
    HWND tree = Control(id);
    Remote mem(process_, sizeof(RECT));
    if (!mem || item == nullptr) return false;
    // The item goes in where the rectangle comes back.
    mem.Write(&item, sizeof item);
    RECT rc{};
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(mem.at()))) return false;
    mem.Read(&rc, sizeof rc);
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    POINT screen = pt;
    ClientToScreen(tree, &screen);
    // The tree takes click positions from the cursor.
    SetCursorPos(screen.x, screen.y);
    const LPARAM where = MAKELPARAM(pt.x, pt.y);
    if (right) {
        PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, where);
        PostMessageW(tree, WM_RBUTTONUP, 0, where);
        return true;
    }
    // Both go through the queue, in order: the tree looks for the release
    // in its queue after the press. The window selects the item when it
    // handles the click; then it finishes the click before it takes the
    // next message.
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(tree, WM_LBUTTONUP, 0, where);
    const ULONGLONG end = GetTickCount64() + 20000;
    while (TreeView_GetSelection(tree) != item && GetTickCount64() < end) Sleep(20);
    Sleep(100);
    Sync();
    return TreeView_GetSelection(tree) == item;
}

bool Trellup::RightClickTreeSpace(int id) const {
    HWND tree = Control(id);
    RECT client;
    GetClientRect(tree, &client);
    POINT pt{client.right / 2, client.bottom - 8};
    POINT screen = pt;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
    PostMessageW(tree, WM_RBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    return true;
}

std::wstring Trellup::ToolTip(int id) const {
    HWND control = Control(id);
    FindTips f{pid_, {}};
    EnumWindows(FindTipsProc, reinterpret_cast<LPARAM>(&f));
    Remote mem(process_, sizeof(TOOLINFOW) + 1024 * sizeof(wchar_t));
    if (!mem) return L"<no memory>";
    for (HWND tip : f.found) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = GetParent(control);
        ti.uId = reinterpret_cast<UINT_PTR>(control);
        ti.lpszText = mem.at<wchar_t>(sizeof(TOOLINFOW));
        const wchar_t empty[1] = {0};
        mem.Write(&ti, sizeof ti);
        mem.Write(empty, sizeof empty, sizeof(TOOLINFOW));
        if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(mem.at()))) continue;
        mem.Write(&ti, sizeof ti);
        SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(mem.at()));
        wchar_t text[1025] = {};
        mem.Read(text, 1024 * sizeof(wchar_t), sizeof(TOOLINFOW));
        return text;
    }
    return L"<no tool>";
}

COLORREF Trellup::Pixel(int id, int dx, int dy) const {
    RECT rc;
    GetWindowRect(Control(id), &rc);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, rc.left + dx, rc.top + dy);
    ReleaseDC(nullptr, screen);
    return c;
}

RECT Trellup::ClientRect(int id) const {
    RECT rc;
    GetWindowRect(Control(id), &rc);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void Trellup::PressKeys(const std::vector<WORD>& keys) {
    for (WORD k : keys) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = k;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Sleep(50);
    }
}

bool WaitForBox(const std::wstring& caption, MessageBoxSeen* box, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (GetTickCount64() < end) {
        HWND h = FindWindowW(L"#32770", caption.c_str());
        if (h != nullptr && IsWindowVisible(h)) {
            wchar_t text[4096] = {};
            GetDlgItemTextW(h, 0xFFFF, text, 4096);
            box->hwnd = h;
            box->text = text;
            // The icon's ID: 0x0014 in Windows' template, 0x0440 in Wine's,
            // whose box keeps the control, empty, when there is no icon.
            HWND icon = GetDlgItem(h, 0x0014);
            if (icon == nullptr) icon = GetDlgItem(h, 0x0440);
            box->has_icon = icon != nullptr && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
            return true;
        }
        Sleep(20);
    }
    return false;
}

bool AnswerBox(const MessageBoxSeen& box, int button, DWORD timeout_ms) {
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    while (IsWindow(box.hwnd) && IsWindowVisible(box.hwnd) && GetTickCount64() < end) Sleep(20);
    return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd);
}

bool SaveScreenshot(const std::wstring& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
    GetDIBits(mem, bmp, 0, static_cast<UINT>(h), bgra.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);

    // Rows of RGB with a filter byte each, in stored (uncompressed) deflate
    // blocks.
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &bgra[(static_cast<size_t>(y) * w + x) * 4];
            raw.push_back(p[2]);
            raw.push_back(p[1]);
            raw.push_back(p[0]);
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n >= raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
        pos += n;
        if (last) break;
    }
    Be32(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    Be32(ihdr, static_cast<uint32_t>(w));
    Be32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) return false;
    const bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

std::wstring WindowsPath(const std::string& unix_path) {
    std::wstring w(L"Z:");
    for (char c : unix_path) w += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

}  // namespace trellup::test

namespace trellup::test {

std::wstring AccessibleName(HWND hwnd, long* role, std::wstring* value) {
    IAccessible* acc = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&acc));
    if (FAILED(found) || acc == nullptr) {
        wchar_t text[48];
        swprintf(text, 48, L"<no object: 0x%08lx>", static_cast<unsigned long>(found));
        return text;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = L"<none>";
    if (acc->get_accName(self, &name) == S_OK && name != nullptr) text.assign(name, SysStringLen(name));
    SysFreeString(name);
    if (role != nullptr) {
        VARIANT r;
        VariantInit(&r);
        *role = acc->get_accRole(self, &r) == S_OK && r.vt == VT_I4 ? r.lVal : 0;
        VariantClear(&r);
    }
    if (value != nullptr) {
        BSTR v = nullptr;
        value->clear();
        if (acc->get_accValue(self, &v) == S_OK && v != nullptr) value->assign(v, SysStringLen(v));
        SysFreeString(v);
    }
    acc->Release();
    return text;
}

}  // namespace trellup::test
