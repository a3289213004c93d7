#include "images/search_file_kind.hpp"

#include <gtest/gtest.h>

namespace halvora {
namespace {

TEST(SearchFileKind, TheExtensionAfterTheLastDotDecidesInAnyCase) {
    EXPECT_EQ(searchFileKind(L"install.wim", false, false), SearchFileKind::Wim);
    EXPECT_EQ(searchFileKind(L"INSTALL.WIM", false, false), SearchFileKind::Wim);
    EXPECT_EQ(searchFileKind(L"install.Swm", false, false), SearchFileKind::Swm);
    EXPECT_EQ(searchFileKind(L"backup.iso.wim", false, false), SearchFileKind::Wim);
    for (const wchar_t* name : {L"install.wim.txt", L"WIM", L"install.wimx", L"installwim", L".", L"x.wi"}) {
        EXPECT_EQ(searchFileKind(name, true, true), std::nullopt) << name;
    }
}

TEST(SearchFileKind, EsdAndIsoOnlyWhereTheyCanBeUsed) {
    EXPECT_EQ(searchFileKind(L"install.esd", false, true), std::nullopt);
    EXPECT_EQ(searchFileKind(L"install.ESD", true, false), SearchFileKind::Esd);
    EXPECT_EQ(searchFileKind(L"win.iso", true, false), std::nullopt);
    EXPECT_EQ(searchFileKind(L"win.Iso", false, true), SearchFileKind::Iso);
}

}  // namespace
}  // namespace halvora
