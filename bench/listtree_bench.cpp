// The owner-drawn list's two hot paths. Painting the first page of a two-column list of
// 100,000 rows, half of them selected, next to the same list of 100 rows (goal: within
// 1.5x, so a paint costs what is shown, not what is held); inserting 100,000 items with
// texts, redraw off, next to putting the same heap records into a std::vector (goal:
// within 3x).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BENCH=ON
//   cmake --build build-bench --target listtree_bench && build-bench/bin/listtree_bench
#include "drawnlistctrl.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

class Popup : public CWnd {
public:
    Popup() { CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr); }
};

std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        names.push_back("variable" + std::to_string(i));
    return names;
}

void BM_PaintFirstPage(benchmark::State &state)
{
    int rows = static_cast<int>(state.range(0));
    Popup popup;
    DrawnListCtrl list;
    list.Create(LVS_REPORT | WS_CHILD | WS_VISIBLE | WS_BORDER, 0, CRect(0, 0, 400, 300), &popup, 1, nullptr);
    list.AddColumn("Expression", LVCFMT_LEFT, 150, 0);
    list.AddColumn("Value", LVCFMT_LEFT, 200, -1);
    std::vector<std::string> names = Names(rows);
    for (int row = 0; row < rows; ++row) {
        list.InsertItem(row, names[static_cast<size_t>(row)].c_str());
        list.SetItemText(row, 1, "0x0000002A");
        if (row % 2 == 0)
            list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    list.SetRedraw(TRUE);
    list.SetFocus();
    list.UpdateWindow();
    for (auto _ : state) {
        list.Invalidate(FALSE);
        list.UpdateWindow();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaintFirstPage)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

const int kInserted = 100000;

void BM_InsertItems(benchmark::State &state)
{
    std::vector<std::string> names = Names(kInserted);
    Popup popup;
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<DrawnListCtrl>();
        list->Create(LVS_REPORT | WS_CHILD | WS_VISIBLE | WS_BORDER, 0, CRect(0, 0, 400, 300), &popup, 1, nullptr);
        list->AddColumn("Expression", LVCFMT_LEFT, 150, 0);
        list->AddColumn("Value", LVCFMT_LEFT, 200, -1);
        state.ResumeTiming();
        for (int row = 0; row < kInserted; ++row)
            list->InsertItem(row, names[static_cast<size_t>(row)].c_str());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInserted);
}
BENCHMARK(BM_InsertItems)->Unit(benchmark::kMillisecond);

// The peer: the same records, made as the list makes them, kept in a std::vector.
void BM_VectorOfRecords(benchmark::State &state)
{
    std::vector<std::string> names = Names(kInserted);
    for (auto _ : state) {
        std::vector<DrawnListItem *> records;
        for (int row = 0; row < kInserted; ++row) {
            DrawnListItem *record = new DrawnListItem;
            record->subItems.push_back(new DrawnListSubItem);
            SetCellText(record->text, names[static_cast<size_t>(row)].c_str());
            records.push_back(record);
        }
        state.PauseTiming();
        for (DrawnListItem *record : records)
            delete record;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInserted);
}
BENCHMARK(BM_VectorOfRecords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
