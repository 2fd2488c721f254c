#include "app/centerform.h"

#include <gtest/gtest.h>

using tavelon::CenterForm;

TEST(CenterForm, PlacesWindowsByTheRule)
{
    struct Row
    {
        const char *name;
        QSize window, screen;
        QPoint expected;
    };
    const Row rows[] = {
        // 756 × 446 px main window on 1920 × 1080 px, in twips.
        {"main window full HD", {11340, 6690}, {28800, 16200}, {8730, 3540}},
        // 0.85 × 1050 = 892.5 rounds to 893; halving discards the remainder: 446 − 5.
        {"half rounds up then halves", {10, 10}, {10, 1050}, {0, 441}},
        {"odd sizes halve towards zero", {101, 51}, {1001, 1001}, {450, 400}},
        {"taller than 85 % gets top 0", {100, 900}, {1000, 1000}, {450, 0}},
        {"wider than the screen gets left 0", {1200, 100}, {1000, 1000}, {0, 375}},
        {"both too large", {5000, 5000}, {1000, 1000}, {0, 0}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(CenterForm(r.window, r.screen), r.expected) << r.name;
}
