// The program's resources, linked into this test program as they are into
// the tool, read back through the calls the tool and Windows use.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "brisko_version.h"
#include "link/wide_text_win32.h"
#include "win32/dialog_template_ex.h"
#include "win32/resource_ids.h"

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

TEST(ResourcesTest, IconHoldsA32And16PixelImage) {
  HICON icon = LoadIconW(Self(), MAKEINTRESOURCEW(IDI_BRISKO));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  ASSERT_NE(GetObjectW(info.hbmColor, sizeof colour, &colour), 0);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  // Each size is an image of its own in the group, not one scaled by Windows.
  HRSRC group = FindResourceW(Self(), MAKEINTRESOURCEW(IDI_BRISKO), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(Self(), group)));
  ASSERT_NE(directory, nullptr);
  for (int size : {32, 16}) {
    SCOPED_TRACE(size);
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(id, 0);
    HRSRC image = FindResourceW(Self(), MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_NE(image, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), image)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biHeight, 2 * size);  // colour bits and mask
    EXPECT_EQ(header->biBitCount, 4);
  }
}

TEST(ResourcesTest, AboutEntryString) {
  wchar_t text[64] = {};
  ASSERT_GT(LoadStringW(Self(), IDS_ABOUTBOX, text, 64), 0);
  EXPECT_STREQ(text, L"Infor&mazioni su brisko...");
}

TEST(ResourcesTest, VersionIs18TaggedItalian) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  // "major.minor" as the program shows it.
  const std::string version = brisko::kApplicationVersion;
  const auto major = static_cast<WORD>(std::stoi(version));
  const auto minor = static_cast<WORD>(std::stoi(version.substr(version.find('.') + 1)));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(minor, major));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0410);  // Italian
  EXPECT_EQ(translation[1], 1252);

  struct Value {
    const wchar_t* name;
    std::wstring text;
  };
  const Value values[] = {
      {L"ProductName", L"Brisko"},
      {L"ProductVersion", brisko::Utf8ToWide(brisko::kApplicationVersion)},
      {L"FileVersion", brisko::Utf8ToWide(brisko::kApplicationVersion) + L".0.0"},
      {L"OriginalFilename", L"brisko.exe"},
  };
  for (const Value& value : values) {
    wchar_t* text = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041004E4\\") + value.name;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << value.name;
    EXPECT_EQ(std::wstring(text), value.text);
  }
  wchar_t* description = nullptr;
  EXPECT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\041004E4\\FileDescription",
                             reinterpret_cast<void**>(&description), &length));
}

// The manifest is read when the program starts: its DPI setting is in force,
// and comctl32.dll resolves to the side-by-side Common Controls 6 assembly
// (Wine's copy reports 5.81 through DllGetVersion, so the version is read
// from the assembly that the activation context names).
TEST(ResourcesTest, ManifestIsInForce) {
  EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);

  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  ASSERT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                       &redirection));
  HMODULE commonControls = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(commonControls, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(commonControls, path, MAX_PATH);
  FreeLibrary(commonControls);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos) << lower;
}

}  // namespace
