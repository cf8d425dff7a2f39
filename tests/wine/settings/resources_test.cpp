#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"

// The resources as they are in the built zovi.scr, read back field by field: what the resource
// compiler made of the script is what a user gets, so nothing it adds or changes goes unseen.

namespace {
const WORD kEnglishUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);

class BuiltSaver {
public:
    BuiltSaver() {
        module = LoadLibraryExA(ZOVI_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    ~BuiltSaver() {
        if (module) FreeLibrary(module);
    }
    // The bytes of a resource in English (United Kingdom); empty when there is none in that language.
    std::vector<unsigned char> resource(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceExA(module, type, name, kEnglishUk);
        if (!found) return {};
        const unsigned char* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

// Reads a resource's fields in order, as the platform lays them out.
class FieldReader {
public:
    explicit FieldReader(const std::vector<unsigned char>& resource) : bytes(resource) {}
    std::uint16_t word() {
        std::uint16_t value = 0;
        take(&value, 2);
        return value;
    }
    std::uint32_t dword() {
        std::uint32_t value = 0;
        take(&value, 4);
        return value;
    }
    std::int16_t shortInt() { return static_cast<std::int16_t>(word()); }
    std::uint8_t byte() {
        std::uint8_t value = 0;
        take(&value, 1);
        return value;
    }
    // A name or an ordinal: text as it is, an ordinal as "#number", nothing as "".
    std::string nameOrOrdinal() {
        const std::uint16_t first = word();
        if (first == 0xFFFF) return "#" + std::to_string(word());
        std::string text;
        for (std::uint16_t c = first; c != 0; c = word()) text += static_cast<char>(c);
        return text;
    }
    void alignTo4() { at = (at + 3) & ~std::size_t(3); }
    bool past() const { return at > bytes.size(); }
    std::size_t left() const { return at < bytes.size() ? bytes.size() - at : 0; }

private:
    void take(void* out, std::size_t count) {
        if (at + count <= bytes.size()) std::memcpy(out, bytes.data() + at, count);
        at += count;
    }
    const std::vector<unsigned char>& bytes;
    std::size_t at = 0;
};

struct ControlTemplate {
    std::uint32_t helpId, exStyle, style;
    std::int16_t x, y, cx, cy;
    std::int32_t id;
    std::string windowClass, title;
    std::uint16_t extraBytes;
    bool operator==(const ControlTemplate& o) const {
        return helpId == o.helpId && exStyle == o.exStyle && style == o.style && x == o.x && y == o.y &&
               cx == o.cx && cy == o.cy && id == o.id && windowClass == o.windowClass && title == o.title &&
               extraBytes == o.extraBytes;
    }
};

void PrintTo(const ControlTemplate& c, std::ostream* out) {
    *out << "{id " << c.id << ", class " << c.windowClass << ", \"" << c.title << "\", " << c.x << "," << c.y
         << " " << c.cx << "x" << c.cy << ", style 0x" << std::hex << c.style << ", ex 0x" << c.exStyle
         << ", help " << std::dec << c.helpId << ", extra " << c.extraBytes << "}";
}

constexpr const char* kButton = "#128";  // the predefined class ordinals
constexpr const char* kStatic = "#130";
}  // namespace

TEST(BuiltResources, TheSettingsDialogTemplateIsExactlyAsDesigned) {
    BuiltSaver saver;
    ASSERT_TRUE(saver.module) << ZOVI_SCR_PATH;
    const std::vector<unsigned char> bytes = saver.resource(RT_DIALOG, MAKEINTRESOURCEA(IDD_SETTINGS));
    ASSERT_FALSE(bytes.empty()) << "dialog 2003 in English (United Kingdom)";
    FieldReader read(bytes);
    EXPECT_EQ(read.word(), 1);       // version of the extended template
    EXPECT_EQ(read.word(), 0xFFFF);  // its signature
    EXPECT_EQ(read.dword(), 0u);     // help identifier
    EXPECT_EQ(read.dword(), 0u);     // extended style
    EXPECT_EQ(read.dword(), 0x80C800C8u);
    const std::uint16_t count = read.word();
    EXPECT_EQ(read.shortInt(), 0);
    EXPECT_EQ(read.shortInt(), 0);
    EXPECT_EQ(read.shortInt(), 119);
    EXPECT_EQ(read.shortInt(), 112);
    EXPECT_EQ(read.nameOrOrdinal(), "");  // no menu
    EXPECT_EQ(read.nameOrOrdinal(), "");  // the standard dialog class
    EXPECT_EQ(read.nameOrOrdinal(), "Zovi Settings");
    EXPECT_EQ(read.word(), 8);    // points
    EXPECT_EQ(read.word(), 400);  // weight
    EXPECT_EQ(read.byte(), 0);    // not italic
    EXPECT_EQ(read.byte(), 1);    // character set
    EXPECT_EQ(read.nameOrOrdinal(), "MS Shell Dlg");

    std::vector<ControlTemplate> controls;
    for (int i = 0; i < count; ++i) {
        read.alignTo4();
        ControlTemplate c;
        c.helpId = read.dword();
        c.exStyle = read.dword();
        c.style = read.dword();
        c.x = read.shortInt();
        c.y = read.shortInt();
        c.cx = read.shortInt();
        c.cy = read.shortInt();
        c.id = static_cast<std::int32_t>(read.dword());
        c.windowClass = read.nameOrOrdinal();
        c.title = read.nameOrOrdinal();
        c.extraBytes = read.word();
        controls.push_back(c);
    }
    EXPECT_FALSE(read.past());
    EXPECT_LT(read.left(), 4u) << "nothing after the last control but padding";

    const std::vector<ControlTemplate> designed = {
        {0, 0, 0x50010001, 7, 92, 50, 14, 1, kButton, "OK", 0},
        {0, 0, 0x50010000, 62, 92, 50, 14, 2, kButton, "Cancel", 0},
        {0, 0, 0x50000007, 7, 50, 105, 39, -1, kButton, "Background", 0},
        {0, 0, 0x50000009, 14, 62, 60, 10, 1003, kButton, "Fade To Black", 0},
        {0, 0, 0x50000009, 14, 74, 81, 10, 1004, kButton, "Fade To Background", 0},
        {0, 0, 0x50000007, 7, 2, 105, 47, -1, kButton, "Zovi Effects", 0},
        {0, 0, 0x50010003, 14, 13, 35, 10, 1005, kButton, "Lights", 0},
        {0, 0, 0x50010003, 14, 24, 31, 10, 1006, kButton, "Fans", 0},
        {0, 0, 0x50010003, 14, 35, 43, 10, 1007, kButton, "Rumbles", 0},
        {0, 0, 0x50000203, 76, 18, 20, 20, 1009, kStatic, "#5", 0},
        {0, 0x00020000, 0x50000012, 66, 10, 42, 35, -1, kStatic, "", 0},
    };
    EXPECT_EQ(controls, designed);
}

TEST(BuiltResources, TheIconGroupHoldsTwelveImagesThatLoad) {
    BuiltSaver saver;
    ASSERT_TRUE(saver.module) << ZOVI_SCR_PATH;
    const std::vector<unsigned char> group = saver.resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_ZOVI));
    ASSERT_FALSE(group.empty()) << "icon group 5 in English (United Kingdom)";
    FieldReader read(group);
    EXPECT_EQ(read.word(), 0);
    EXPECT_EQ(read.word(), 1);  // icons, not cursors
    const std::uint16_t count = read.word();
    ASSERT_EQ(count, 12);
    std::set<std::pair<int, int>> found;
    for (int i = 0; i < count; ++i) {
        const int width = read.byte(), height = read.byte(), colours = read.byte();
        read.byte();
        const int planes = read.word(), bits = read.word();
        const std::uint32_t size = read.dword();
        const std::uint16_t imageId = read.word();
        found.insert({width, bits});
        EXPECT_EQ(height, width);
        EXPECT_EQ(planes, 1);
        EXPECT_EQ(colours, bits < 8 ? 1 << bits : 0);

        // The image itself: its header agrees with the group, and the platform makes an icon of it
        // that has the mark's pixels and a transparent background.
        std::vector<unsigned char> image = saver.resource(RT_ICON, MAKEINTRESOURCEA(imageId));
        ASSERT_EQ(image.size(), size) << "image " << imageId;
        const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(header->biWidth, width);
        EXPECT_EQ(header->biHeight, 2 * width);
        EXPECT_EQ(header->biBitCount, bits);
        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              width, width, LR_DEFAULTCOLOR);
        ASSERT_TRUE(icon) << width << " px, " << bits << " bits";
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, width, width);
        HGDIOBJ old = SelectObject(dc, canvas);
        const RECT all = {0, 0, width, width};
        HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &all, magenta);
        DrawIconEx(dc, 0, 0, icon, width, width, 0, nullptr, DI_NORMAL);
        int background = 0, mark = 0;
        for (int y = 0; y < width; ++y)
            for (int x = 0; x < width; ++x) (GetPixel(dc, x, y) == RGB(255, 0, 255) ? background : mark)++;
        EXPECT_GT(background, width * width / 3) << width << " px, " << bits << " bits: corners show through";
        EXPECT_GT(mark, width * width / 8) << width << " px, " << bits << " bits: the mark is drawn";
        SelectObject(dc, old);
        DeleteObject(magenta);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        DestroyIcon(icon);
    }
    std::set<std::pair<int, int>> designed;
    for (int width : {48, 32, 16})
        for (int bits : {1, 4, 8, 32}) designed.insert({width, bits});
    EXPECT_EQ(found, designed);
}

TEST(BuiltResources, TheNameTheDesktopListsIsStringOne) {
    BuiltSaver saver;
    ASSERT_TRUE(saver.module) << ZOVI_SCR_PATH;
    // Strings live in blocks of 16: block 1 holds 0..15, each a length and UTF-16 text.
    const std::vector<unsigned char> block = saver.resource(RT_STRING, MAKEINTRESOURCEA(IDS_DESCRIPTION / 16 + 1));
    ASSERT_FALSE(block.empty());
    char name[128] = {};
    EXPECT_EQ(LoadStringA(saver.module, IDS_DESCRIPTION, name, sizeof name), 21);
    EXPECT_STREQ(name, "Zovi Logo Screensaver");
}

TEST(BuiltResources, VersionIsOnePointZeroPointZero) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(ZOVI_SCR_PATH, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(ZOVI_SCR_PATH, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    const char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\080904B0\\FileVersion",
                               reinterpret_cast<void**>(const_cast<char**>(&text)), &length));
    EXPECT_STREQ(text, "1.0.0");
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\080904B0\\FileDescription",
                               reinterpret_cast<void**>(const_cast<char**>(&text)), &length));
    EXPECT_STREQ(text, "Zovi Logo Screensaver");
}

TEST(BuiltResources, TheManifestAsksForCommonControlsSixAndDpiAwareness) {
    BuiltSaver saver;
    ASSERT_TRUE(saver.module) << ZOVI_SCR_PATH;
    const std::vector<unsigned char> bytes = saver.resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

TEST(BuiltResources, TheManifestBringsCommonControlsSix) {
    // This test program carries the same resources, so the platform acts on the same manifest:
    // common controls 6 come from the side-by-side store, not from the system folder.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(LoadLibraryA("comctl32.dll"), path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(std::string(path).find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}
