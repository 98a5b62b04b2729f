// A host application in miniature: loads VantrelBMPCorners.dll by name, finds
// BMPCorners by its plain name and calls it, then checks what came out. Run under Wine
// by ctest, in a folder that holds input pictures and the Linux build's output for each.
//
// usage: bmp_corners_host INPUT REFERENCE [INPUT REFERENCE ...]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using BMPCornersFunction = std::int32_t(WINAPI*)(const wchar_t*, const wchar_t*);

constexpr std::int32_t kLoaded = 999;
constexpr std::int32_t kNotLoaded = 1;

int passed = 0;
int failed = 0;

void Expect(bool condition, const std::string& what) {
    if (condition) {
        ++passed;
        std::printf("ok    %s\n", what.c_str());
    } else {
        ++failed;
        std::printf("FAIL  %s\n", what.c_str());
    }
}

std::wstring Widen(const char* text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

// Whole file by its wide name; empty when it cannot be read.
std::vector<char> ReadAll(const std::wstring& path) {
    std::vector<char> bytes;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// 999 and the Linux build's bytes, for one input under the given file names.
void CheckPicture(BMPCornersFunction corners, const std::wstring& input, const std::wstring& output,
                  const std::wstring& reference) {
    DeleteFileW(output.c_str());
    const std::string label = Narrow(input) + " -> " + Narrow(output);
    Expect(corners(input.c_str(), output.c_str()) == kLoaded, label + ": result 999");
    const std::vector<char> expected = ReadAll(reference);
    Expect(!expected.empty() && ReadAll(output) == expected,
           label + ": bytes identical to the Linux build's");
}

// Names that no single ANSI code page can spell: Latin, Greek, CJK and a character
// outside the Basic Multilingual Plane (a surrogate pair in UTF-16).
void CheckUnicodeNames(BMPCornersFunction corners, const std::wstring& input,
                       const std::wstring& reference) {
    const std::wstring source =
        L"Eingabe \u00c4\u00f6\u00df \u0395\u03bb\u03bb\u03ac\u03b4\u03b1 "
        L"\u65e5\u672c\u8a9e \U0001F600.bmp";
    const std::wstring target = L"Ausgabe \u00f1 \u4e2d\u6587 \U0001F3A8.bmp";
    Expect(CopyFileW(input.c_str(), source.c_str(), FALSE) != 0, "copy to a Unicode name");
    CheckPicture(corners, source, target, reference);
    DeleteFileW(source.c_str());
}

void CheckRefusals(BMPCornersFunction corners, const std::wstring& input) {
    const std::wstring never = L"never written.bmp";
    DeleteFileW(never.c_str());
    Expect(corners(L"no such file.bmp", never.c_str()) == kNotLoaded, "missing input: result 1");
    Expect(!Exists(never), "missing input: no output file");
    Expect(corners(nullptr, never.c_str()) == kNotLoaded, "null input path: result 1");
    Expect(corners(input.c_str(), nullptr) == kLoaded, "null output path: result 999");
    Expect(corners(input.c_str(), L"no such folder\\out.bmp") == kLoaded,
           "output folder missing: result 999");
}

void CheckStringTable(HMODULE module) {
    wchar_t text[128] = {};
    const int length = LoadStringW(module, 101, text, 128);
    Expect(length > 0 && std::wstring(text) == L"Windows sockets initialization failed.",
           "string 101 through LoadStringW");
}

// The embedded type library as the system's own reader sees it.
void CheckTypeLibrary(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    ITypeLib* library = nullptr;
    const HRESULT loaded = LoadTypeLibEx(path, REGKIND_NONE, &library);
    Expect(SUCCEEDED(loaded) && library != nullptr, "LoadTypeLibEx reads the type library");
    if (library == nullptr) return;

    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        Expect(attributes->lcid == 0x0409, "type library locale 0x0409");
        Expect(attributes->syskind == SYS_WIN32, "type library system kind 32-bit Windows");
        Expect(attributes->wMajorVerNum == 1 && attributes->wMinorVerNum == 0,
               "type library version 1.0");
        library->ReleaseTLibAttr(attributes);
    } else {
        Expect(false, "type library attributes");
    }
    BSTR name = nullptr;
    BSTR doc = nullptr;
    BSTR helpFile = nullptr;
    DWORD helpContext = 0;
    if (SUCCEEDED(library->GetDocumentation(-1, &name, &doc, &helpContext, &helpFile))) {
        Expect(name != nullptr && std::wstring(name) == L"VantrelBMPCorners", "type library name");
        Expect(doc == nullptr && helpFile == nullptr, "type library without help string or file");
    } else {
        Expect(false, "type library documentation");
    }
    SysFreeString(name);
    SysFreeString(doc);
    SysFreeString(helpFile);
    Expect(library->GetTypeInfoCount() == 0, "type library without type descriptions");
    library->Release();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 != 1) {
        std::fprintf(stderr, "usage: %s INPUT REFERENCE [INPUT REFERENCE ...]\n", argv[0]);
        return 2;
    }
    // By file name only, as a host does: the loader finds it beside this program.
    HMODULE module = LoadLibraryW(L"VantrelBMPCorners.dll");
    Expect(module != nullptr, "LoadLibraryW(\"VantrelBMPCorners.dll\")");
    if (module == nullptr) return 1;
    // Through void (*)(), the one function pointer type that converts to any other
    // without a warning.
    const auto corners = reinterpret_cast<BMPCornersFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "BMPCorners")));
    Expect(corners != nullptr, "GetProcAddress(\"BMPCorners\")");

    if (corners != nullptr) {
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::wstring input = Widen(argv[i]);
            CheckPicture(corners, input, L"out " + input, Widen(argv[i + 1]));
        }
        CheckUnicodeNames(corners, Widen(argv[1]), Widen(argv[2]));
        CheckRefusals(corners, Widen(argv[1]));
    }
    CheckStringTable(module);
    CheckTypeLibrary(module);
    Expect(FreeLibrary(module) != 0, "FreeLibrary");

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
