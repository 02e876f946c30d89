// The theme library looked up by name: fallbacks without it, one attempt only.
#include <gtest/gtest.h>

#include "toolkit/ThemeSupport.h"

TEST(ThemeLibrary, WithoutTheLibraryEveryCallAnswersItsFallbackAndItIsLookedForOnce)
{
    CThemeLibrary missing(L"NoSuchThemeLibrary.dll");
    EXPECT_EQ(0, missing.GetLoadAttempts());
    EXPECT_FALSE(missing.IsVisualStyleActive());
    EXPECT_FALSE(missing.IsVisualStyleActive());
    EXPECT_TRUE(missing.OpenThemeData(NULL, L"Button") == NULL);
    EXPECT_EQ(E_FAIL, missing.CloseThemeData((HTHEME)1));
    RECT rc = {0, 0, 1, 1};
    EXPECT_EQ(E_FAIL, missing.DrawThemeBackground((HTHEME)1, NULL, 1, 1, &rc, NULL));
    EXPECT_EQ(1, missing.GetLoadAttempts());

    CThemeData data(missing);
    EXPECT_FALSE(data.Open(NULL, L"Button"));
    EXPECT_EQ(E_FAIL, data.DrawBackground(NULL, 1, 1, &rc));
}

TEST(ThemeLibrary, TheSystemLibraryIsLoadedOnceAndAnswersConsistently)
{
    CThemeLibrary uxtheme;
    const bool first = uxtheme.IsVisualStyleActive();
    EXPECT_EQ(1, uxtheme.GetLoadAttempts());
    EXPECT_EQ(first, uxtheme.IsVisualStyleActive());
    EXPECT_EQ(first, (bool)(uxtheme.IsThemeActive() && uxtheme.IsAppThemed()));
    EXPECT_EQ(1, uxtheme.GetLoadAttempts());
}
