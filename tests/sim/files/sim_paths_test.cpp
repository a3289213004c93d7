// Windows paths on the simulated machine: how they parse, how they map onto the host's folders
// whatever case they are spelt in, and the text rules (UTF-8 at the edge, names compared as NTFS
// compares them) they rest on.

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "base/utf.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "temp_folder.hpp"

namespace halvora::sim {
namespace {

namespace fs = std::filesystem;
using halvora::testing::TempFolder;

TEST(SimPaths, ParsesDrivePathsAsWindowsNormalisesThem) {
    auto p = parseWindowsPath(L"c:\\Windows\\\\System32\\.\\");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->drive, L'C');
    EXPECT_EQ(p->components, (std::vector<std::wstring>{L"Windows", L"System32"}));
    for (const wchar_t* root : {L"D:", L"D:\\", L"d:/"}) {
        auto r = parseWindowsPath(root);
        ASSERT_TRUE(r) << root;
        EXPECT_EQ(r->drive, L'D');
        EXPECT_TRUE(r->components.empty()) << root;
    }
    EXPECT_EQ(parseWindowsPath(L"E:/a/b")->components, (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(SimPaths, RefusesPathsThatNameNoDriveFile) {
    for (const wchar_t* bad : {L"", L"C", L"Windows\\x", L"\\Windows", L"C:Windows", L"\\\\server\\share\\x",
                               L"\\\\?\\C:\\x", L"C:\\a\\..\\b", L"C:\\..", L"C:\\a:b", L"C:\\a?b", L"1:\\x"}) {
        EXPECT_FALSE(parseWindowsPath(bad)) << std::string(bad, bad + std::wcslen(bad));
    }
}

TEST(SimPaths, IsUnderComparesWholeComponentsWithoutCase) {
    const auto root = *parseWindowsPath(L"D:\\Halvora");
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"d:\\HALVORA\\HLV_xSET.ini"), root));
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"D:\\Halvora\\"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"D:\\HalvoraX\\a"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"D:\\"), root));
    EXPECT_FALSE(isUnder(*parseWindowsPath(L"E:\\Halvora"), root));
    EXPECT_TRUE(isUnder(*parseWindowsPath(L"E:\\x\\y"), *parseWindowsPath(L"E:")));
}

TEST(SimPaths, RelativePathsAreMadeWholeWithTheCurrentFolder) {
    const std::wstring current = L"D:\\Halvora";
    EXPECT_EQ(fullWindowsPath(L"Sample.wim", current), L"D:\\Halvora\\Sample.wim");
    EXPECT_EQ(fullWindowsPath(L"sources\\install.wim", current), L"D:\\Halvora\\sources\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"\\sources\\install.wim", current), L"D:\\sources\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"d:install.wim", current), L"D:\\Halvora\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"E:install.wim", current), L"E:\\install.wim");
    EXPECT_EQ(fullWindowsPath(L"Sample.wim", L"C:"), L"C:\\Sample.wim");
    // A drive alone is its current folder when the process is on that drive, else its root.
    EXPECT_EQ(fullWindowsPath(L"d:", current), L"D:\\Halvora");
    EXPECT_EQ(fullWindowsPath(L"E:", L"E:\\cfg"), L"E:\\cfg");
    EXPECT_EQ(fullWindowsPath(L"E:\\", L"E:\\cfg"), L"E:\\");
    for (const wchar_t* whole : {L"E:\\x", L"E:", L"\\\\server\\share\\x", L"\\\\.\\C:", L""}) {
        EXPECT_EQ(fullWindowsPath(whole, current), whole);
    }
}

TEST(SimPaths, MapsComponentsToTheHostsSpellingIgnoringCase) {
    TempFolder t;
    t.write("c/Windows/System32/WimGapi.dll", "MZ");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\WINDOWS\\system32\\wimgapi.DLL"), t.root() / "c/Windows/System32/WimGapi.dll");
    EXPECT_EQ(mapToHost(drives, L"c:\\windows\\"), t.root() / "c/Windows");
    EXPECT_EQ(mapToHost(drives, L"C:"), t.root() / "c");
    EXPECT_EQ(mapToHost(drives, L"C:\\"), t.root() / "c");
    EXPECT_FALSE(mapToHost(drives, L"D:\\Windows"));
    EXPECT_FALSE(mapToHost(drives, L"C:\\Windows\\..\\Windows"));
    EXPECT_FALSE(mapToHost(drives, L"Windows\\System32"));
}

TEST(SimPaths, PrefersTheExactNameWhenTheHostHasSeveralCases) {
    TempFolder t;
    t.write("c/data/a.txt", "lower");
    t.write("c/data/A.txt", "upper");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\DATA\\A.txt"), t.root() / "c/data/A.txt");
    EXPECT_EQ(mapToHost(drives, L"C:\\DATA\\a.txt"), t.root() / "c/data/a.txt");
}

TEST(SimPaths, AFileNotYetThereMapsIntoItsExistingFolder) {
    TempFolder t;
    fs::create_directories(t.root() / "d/Halvora");
    const DriveFolders drives{{L'D', t.root() / "d"}};
    EXPECT_EQ(mapToHost(drives, L"D:\\HALVORA\\New.ini"), t.root() / "d/Halvora/New.ini");
    EXPECT_EQ(mapToHost(drives, L"D:\\Missing\\Sub\\x"), t.root() / "d/Missing/Sub/x");
}

TEST(SimPaths, KoreanAndAccentedNamesMatchTheHostsUtf8Names) {
    TempFolder t;
    t.write("c/설치 파일/Étape.wim", "x");
    const DriveFolders drives{{L'C', t.root() / "c"}};
    EXPECT_EQ(mapToHost(drives, L"C:\\설치 파일\\étape.WIM"), t.root() / "c/설치 파일/Étape.wim");
}

TEST(SimPaths, HostLinksLeadingOutOfTheDrivesFolderReachNothing) {
    TempFolder t;
    t.write("c/Windows/win.ini", "c");
    t.write("e/Real/a.txt", "e");
    fs::create_symlink(t.root() / "c/Windows", t.root() / "e/Windows");  // a folder of C:
    fs::create_symlink("../c/Windows/win.ini", t.root() / "e/win.ini");  // a file of C:
    fs::create_symlink("../c/Windows/new.ini", t.root() / "e/new.ini");  // a file C: may get
    fs::create_symlink("/", t.root() / "e/host");                        // the host itself
    fs::create_symlink("round", t.root() / "e/about");                   // links in a circle
    fs::create_symlink("about", t.root() / "e/round");
    fs::create_symlink("Real", t.root() / "e/Inner");                           // inside E:
    fs::create_symlink(t.root() / "e/Real/b.txt", t.root() / "e/b-to-be.txt");  // inside, not there yet
    fs::create_symlink("e", t.root() / "e-link");
    const DriveFolders drives{{L'C', t.root() / "c"}, {L'E', t.root() / "e"}, {L'L', t.root() / "e-link"}};

    for (const wchar_t* outside : {L"E:\\Windows", L"E:\\windows\\win.ini", L"E:\\Windows\\System32\\new.dll",
                                   L"E:\\win.ini", L"E:\\new.ini", L"E:\\host\\etc", L"E:\\about", L"E:\\About\\x"}) {
        EXPECT_FALSE(mapToHost(drives, outside)) << toUtf8(outside);
    }
    EXPECT_EQ(mapToHost(drives, L"E:\\inner\\A.TXT"), t.root() / "e/Inner/a.txt");
    EXPECT_EQ(mapToHost(drives, L"E:\\Inner\\New\\c.txt"), t.root() / "e/Inner/New/c.txt");
    EXPECT_EQ(mapToHost(drives, L"E:\\b-to-be.txt"), t.root() / "e/b-to-be.txt");
    EXPECT_EQ(mapToHost(drives, L"C:\\Windows\\win.ini"), t.root() / "c/Windows/win.ini");
    // A drive whose folder is itself a link is the folder the link leads to.
    EXPECT_EQ(mapToHost(drives, L"L:\\Real\\a.txt"), t.root() / "e-link/Real/a.txt");
    EXPECT_FALSE(mapToHost(drives, L"L:\\Windows"));

    EXPECT_EQ(hostLocation(t.root() / "e/new.ini"), fs::canonical(t.root()) / "c/Windows/new.ini");
    EXPECT_EQ(hostLocation(t.root() / "e/Inner/x/y"), fs::canonical(t.root()) / "e/Real/x/y");
    EXPECT_FALSE(hostLocation(t.root() / "e/about/x"));
    EXPECT_TRUE(isInside(fs::path("/a/b/c"), fs::path("/a/b")));
    EXPECT_TRUE(isInside(fs::path("/a/b"), fs::path("/a/b/")));
    EXPECT_FALSE(isInside(fs::path("/a/bc"), fs::path("/a/b")));
    EXPECT_FALSE(isInside(fs::path("/a"), fs::path("/a/b")));
}

TEST(SimText, ConvertsAtTheEdgeAndReplacesBrokenUtf8) {
    EXPECT_EQ(fromUtf8("설치 ok"), L"설치 ok");
    EXPECT_EQ(toUtf8(L"설치 ok"), "설치 ok");
    EXPECT_EQ(fromUtf8("a\xff\xe4\xb8"
                       "b"),
              L"a\xFFFD\xFFFD\xFFFD"
              L"b");
    EXPECT_EQ(fromUtf8("\xc0\x80"), L"\xFFFD\xFFFD") << "overlong NUL";
    EXPECT_EQ(toUtf8(fromUtf8("\xf0\x9f\x98\x80")), "\xf0\x9f\x98\x80");
    EXPECT_TRUE(equalsNoCase(L"SYSTEM32\\ÉTAPE", L"system32\\étape"));
    EXPECT_FALSE(equalsNoCase(L"a", L"b"));
}

}  // namespace
}  // namespace halvora::sim
