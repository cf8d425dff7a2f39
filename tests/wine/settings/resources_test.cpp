#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"

// The resources as they are in the built zovi.scr, read back field by field: what the resource
// compiler made of the script is what a user gets, so nothing it adds or changes goes unseen.

namespace {
class BuiltSaver {
public:
    BuiltSaver() : module(LoadLibraryExA(ZOVI_SCR_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~BuiltSaver() { FreeLibrary(module); }
    // The bytes of a resource in English (United Kingdom); none when it is not there in that language.
    std::vector<unsigned char> resource(LPCSTR type, int name) const {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(name), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
        if (!found) return {};
        const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }
    const HMODULE module;
};

// Takes a resource's fields one after the other, in the platform's layout.
class Fields {
public:
    explicit Fields(const std::vector<unsigned char>& resource) : bytes(resource) {}
    template <typename T> T next() {
        T value = 0;
        if (at + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + at, sizeof value);
        at += sizeof value;
        return value;
    }
    // Text as it is, an ordinal as "#number", neither as "".
    std::string nameOrOrdinal() {
        std::string text;
        std::uint16_t c = next<std::uint16_t>();
        if (c == 0xFFFF) return "#" + std::to_string(next<std::uint16_t>());
        for (; c != 0; c = next<std::uint16_t>()) text += static_cast<char>(c);
        return text;
    }
    void alignTo4() { at = (at + 3) & ~std::size_t(3); }
    std::size_t left() const { return at <= bytes.size() ? bytes.size() - at : 0; }

private:
    const std::vector<unsigned char>& bytes;
    std::size_t at = 0;
};

// help id, extended style, style, x, y, width, height, id, class, text, creation data size
using Control = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, int, int, int, int, int, std::string,
                           std::string, int>;
}  // namespace

TEST(BuiltResources, TheSettingsDialogTemplateIsExactlyAsDesigned) {
    BuiltSaver saver;
    const std::vector<unsigned char> bytes = saver.resource(RT_DIALOG, IDD_SETTINGS);
    ASSERT_FALSE(bytes.empty()) << "dialog 2003 in English (United Kingdom) in " << ZOVI_SCR_PATH;
    Fields read(bytes);
    // Version 1 and signature 0xFFFF mark the extended template; then help id, extended style, style.
    EXPECT_EQ(read.next<std::uint16_t>(), 1);
    EXPECT_EQ(read.next<std::uint16_t>(), 0xFFFF);
    EXPECT_EQ(read.next<std::uint32_t>(), 0u);
    EXPECT_EQ(read.next<std::uint32_t>(), 0u);
    EXPECT_EQ(read.next<std::uint32_t>(), 0x80C800C8u);
    const int count = read.next<std::uint16_t>();
    std::vector<int> place;
    for (int i = 0; i < 4; ++i) place.push_back(read.next<std::int16_t>());
    EXPECT_EQ(place, (std::vector<int>{0, 0, 119, 112}));
    EXPECT_EQ(read.nameOrOrdinal(), "") << "no menu";
    EXPECT_EQ(read.nameOrOrdinal(), "") << "the standard dialog class";
    EXPECT_EQ(read.nameOrOrdinal(), "Zovi Settings");
    EXPECT_EQ(read.next<std::uint16_t>(), 8);    // points
    EXPECT_EQ(read.next<std::uint16_t>(), 400);  // weight
    EXPECT_EQ(read.next<std::uint8_t>(), 0);     // not italic
    EXPECT_EQ(read.next<std::uint8_t>(), 1);     // character set
    EXPECT_EQ(read.nameOrOrdinal(), "MS Shell Dlg");

    std::vector<Control> controls;
    for (int i = 0; i < count; ++i) {
        read.alignTo4();
        const auto helpId = read.next<std::uint32_t>(), exStyle = read.next<std::uint32_t>(),
                   style = read.next<std::uint32_t>();
        const int x = read.next<std::int16_t>(), y = read.next<std::int16_t>(), cx = read.next<std::int16_t>(),
                  cy = read.next<std::int16_t>(), id = read.next<std::int32_t>();
        std::string windowClass = read.nameOrOrdinal(), text = read.nameOrOrdinal();
        controls.emplace_back(helpId, exStyle, style, x, y, cx, cy, id, windowClass, text, read.next<std::uint16_t>());
    }
    EXPECT_LT(read.left(), 4u) << "nothing after the last control but padding";
    const std::string button = "#128", staticClass = "#130";  // the predefined classes' ordinals
    EXPECT_EQ(controls, (std::vector<Control>{
        {0, 0, 0x50010001, 7, 92, 50, 14, 1, button, "OK", 0},
        {0, 0, 0x50010000, 62, 92, 50, 14, 2, button, "Cancel", 0},
        {0, 0, 0x50000007, 7, 50, 105, 39, -1, button, "Background", 0},
        {0, 0, 0x50000009, 14, 62, 60, 10, 1003, button, "Fade To Black", 0},
        {0, 0, 0x50000009, 14, 74, 81, 10, 1004, button, "Fade To Background", 0},
        {0, 0, 0x50000007, 7, 2, 105, 47, -1, button, "Zovi Effects", 0},
        {0, 0, 0x50010003, 14, 13, 35, 10, 1005, button, "Lights", 0},
        {0, 0, 0x50010003, 14, 24, 31, 10, 1006, button, "Fans", 0},
        {0, 0, 0x50010003, 14, 35, 43, 10, 1007, button, "Rumbles", 0},
        {0, 0, 0x50000203, 76, 18, 20, 20, 1009, staticClass, "#5", 0},
        {0, 0x00020000, 0x50000012, 66, 10, 42, 35, -1, staticClass, "", 0},
    }));
}

TEST(BuiltResources, TheIconGroupHoldsTwelveImagesThatDrawTheMarkOnATransparentGround) {
    BuiltSaver saver;
    const std::vector<unsigned char> group = saver.resource(RT_GROUP_ICON, IDI_ZOVI);
    ASSERT_FALSE(group.empty()) << "icon group 5 in English (United Kingdom) in " << ZOVI_SCR_PATH;
    Fields read(group);
    EXPECT_EQ(read.next<std::uint16_t>(), 0);
    EXPECT_EQ(read.next<std::uint16_t>(), 1) << "icons, not cursors";
    const int count = read.next<std::uint16_t>();
    std::set<std::pair<int, int>> found;
    HDC dc = CreateCompatibleDC(nullptr);
    for (int i = 0; i < count; ++i) {
        const int width = read.next<std::uint8_t>(), height = read.next<std::uint8_t>(),
                  colours = read.next<std::uint8_t>();
        read.next<std::uint8_t>();
        const int planes = read.next<std::uint16_t>(), bits = read.next<std::uint16_t>();
        const std::uint32_t size = read.next<std::uint32_t>();
        std::vector<unsigned char> image = saver.resource(RT_ICON, read.next<std::uint16_t>());
        found.insert({width, bits});
        SCOPED_TRACE(std::to_string(width) + " px, " + std::to_string(bits) + " bits");
        EXPECT_EQ(height, width);
        EXPECT_EQ(planes, 1);
        EXPECT_EQ(colours, bits < 8 ? 1 << bits : 0);
        ASSERT_EQ(image.size(), size);

        // Drawn over magenta: the corners show through, the mark covers a good part of the rest.
        HICON icon = CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, width, width, 0);
        ASSERT_TRUE(icon);
        BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -width, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};  // top down
        void* pixels = nullptr;
        HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, canvas);
        std::fill_n(static_cast<std::uint32_t*>(pixels), width * width, 0x00FF00FFu);
        DrawIconEx(dc, 0, 0, icon, width, width, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const auto* drawn = static_cast<const std::uint32_t*>(pixels);
        const int ground = static_cast<int>(std::count(drawn, drawn + width * width, 0x00FF00FFu));
        EXPECT_EQ(drawn[0], 0x00FF00FFu);
        EXPECT_GT(ground, width * width / 3);
        EXPECT_GT(width * width - ground, width * width / 8);
        SelectObject(dc, old);
        DeleteObject(canvas);
        DestroyIcon(icon);
    }
    DeleteDC(dc);
    std::set<std::pair<int, int>> designed;
    for (int width : {48, 32, 16})
        for (int bits : {1, 4, 8, 32}) designed.insert({width, bits});
    EXPECT_EQ(found, designed);
}

TEST(BuiltResources, NameVersionAndManifest) {
    BuiltSaver saver;
    ASSERT_FALSE(saver.resource(RT_STRING, IDS_DESCRIPTION / 16 + 1).empty()) << "string block in English (UK)";
    char name[64] = {};
    LoadStringA(saver.module, IDS_DESCRIPTION, name, sizeof name);
    EXPECT_STREQ(name, "Zovi Logo Screensaver") << "the name the desktop lists";

    DWORD ignored = 0;
    std::vector<char> version(GetFileVersionInfoSizeA(ZOVI_SCR_PATH, &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(ZOVI_SCR_PATH, 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    const char* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\080904B0\\FileVersion",
                               reinterpret_cast<void**>(const_cast<char**>(&text)), &length));
    EXPECT_STREQ(text, "1.0.0");

    const std::vector<unsigned char> bytes = saver.resource(RT_MANIFEST, 1);
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
