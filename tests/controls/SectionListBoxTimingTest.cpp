// What the section list box costs as rows come and go: a reload of the system-icon page against the
// same work inside one update, and rows added one by one against their number. Bounds are ratios
// with room to spare, never absolute times: the machines here differ by a factor of ten.
#include <windows.h>

#include "Bitmap.h"
#include "FlatTestForm.h"
#include "ImageList.h"
#include "MessagePump.h"
#include "slstbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of a few runs: what another program on the machine adds is never part of it.
double Fastest(int runs, const std::function<void()>& work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

// The rows the system-icon page holds: five sections of 4, 9, 7, 8 and 9 mark-up rows, each with
// a 32x32 image, the first section open.
struct SystemPageList {
    SystemPageList() : form(300, 314), images(32, 32)
    {
        list = form.Add<TSectionListBox>(0, 0, 300, 314);
        list->SetSubItemHeight(32);
        list->SetSectionHeight(15);
        list->SetColor(0x984E00);
        list->SetFlat(true);
        int number = 0;
        for (int count : {4, 9, 7, 8, 9}) {
            TListSection& section = list->Sections().Add();
            section.SetCaption("Abschnitt " + std::to_string(number));
            section.SetColor(0x984E00);
            section.Font().SetColor(clWhite);
            for (int i = 0; i < count; ++i)
                section.SubItems().Add("<IMG src=\"idx:" + std::to_string(number++) +
                                       "\" align=\"middle\"><B></B>   Eintrag " + std::to_string(i));
        }
        list->SetOneExpanded(true);
        FillImages();
        list->SetSubItemImages(&images);
    }
    ~SystemPageList() { list->SetSubItemImages(nullptr); }

    void FillImages()
    {
        images.Clear();
        TBitmap tile(32, 32);
        tile.Canvas().Brush().SetColor(clLime);
        tile.Canvas().FillRect({0, 0, 32, 32});
        for (int i = 0; i < 37; ++i)
            images.AddMasked(tile, clNone);
    }

    // What the page does after every assignment and reset, until the list has painted.
    void Reload()
    {
        FillImages();
        list->SetSubItemImages(&images);
        list->ContractAll();
        list->ExpandAll();
        list->SelectSubItem(0, 0);
        PumpMessages();
        UpdateWindow(list->Handle());
    }

    FlatTestForm form;
    TImageList images;
    TSectionListBox* list = nullptr;
};

}  // namespace

TEST(SectionListBoxTiming, TheSystemPageReloadCostsAsMuchAsOneUpdate)
{
    SystemPageList page;
    ASSERT_TRUE(page.form.ShowActive());
    page.Reload();
    const double plain = Fastest(7, [&] { page.Reload(); });
    const double bracketed = Fastest(7, [&] {
        page.list->BeginUpdate();
        page.Reload();
        page.list->EndUpdate();
        PumpMessages();
        UpdateWindow(page.list->Handle());
    });
    std::printf("reload of 42 rows: %.1f ms, inside one update: %.1f ms\n", plain * 1000, bracketed * 1000);
    EXPECT_LE(plain, 2 * bracketed + 0.005) << "reload " << plain * 1000 << " ms, in one update "
                                            << bracketed * 1000 << " ms";
    EXPECT_EQ(page.list->ItemCount(), 42);
    EXPECT_GE(page.list->RowHeight(1), 34) << "the rows measured with their images";
}

TEST(SectionListBoxTiming, RowsAddedOneByOneCostTimeLinearInTheirNumber)
{
    // The window is made but not shown: the system's repaint of the scroll bar after every row, a
    // cost of its own that is the same for every row, would drown the list's own work.
    FlatTestForm form(260, 200);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 200);
    TListSection& section = list->Sections().Add();
    section.SetCaption("Zeilen");
    section.SetState(lssExpanded);
    form.form->Handle();
    auto add = [&](int count) {
        section.SubItems().Clear();
        PumpMessages();
        return Seconds([&] {
            for (int i = 0; i < count; ++i)
                section.SubItems().Add("Zeile " + std::to_string(i) + "\tmit Spalte");
            PumpMessages();
        });
    };
    add(100);
    const double few = std::min({add(500), add(500), add(500)});
    const double many = std::min({add(2000), add(2000), add(2000)});
    std::printf("500 rows: %.0f ms, 2000 rows: %.0f ms\n", few * 1000, many * 1000);
    // Four times the rows; quadratic work would take sixteen times as long.
    EXPECT_LE(many, 8 * few + 0.05) << "500 rows " << few * 1000 << " ms, 2000 rows " << many * 1000 << " ms";
    EXPECT_EQ(list->ItemCount(), 2001);
}
