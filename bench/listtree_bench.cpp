// The owner-drawn list's two hot paths. Painting the first page of a two-column list of
// 100,000 rows, half of them selected, next to the same list of 100 rows (goal: within
// 1.5x, so a paint costs what is shown, not what is held); inserting 100,000 items with
// texts, redraw off, next to putting the same heap records into a std::vector (goal:
// within 3x).
//
// The owner-drawn tree's three: expanding and collapsing a node of 10,000 children with
// 50,000 shown rows above it next to the same with them below (goal: within 3x, so that
// what lies above costs nothing); sorting 20,000 children next to std::stable_sort of
// their texts with the same comparison (goal: within 2x); inserting 20,000 nodes with a
// sub-item text each next to 2,000 (goal: within 15x, so that insertion stays linear).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BENCH=ON
//   cmake --build build-bench --target listtree_bench && build-bench/bin/listtree_bench
#include "crtstring.h"
#include "drawnlistctrl.h"
#include "drawntreectrl.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

// A tree of `leaves` top-level leaves and one node of `children` children, above them
// (`nodeFirst`) or below them.
std::unique_ptr<DrawnTreeCtrl> MakeTree(CWnd *parent, int leaves, int children, bool nodeFirst, HTREEITEM *node)
{
    auto tree = std::make_unique<DrawnTreeCtrl>();
    tree->Create(TVS_HASBUTTONS | TVS_HASLINES | WS_CHILD | WS_VISIBLE | WS_BORDER, 0, CRect(0, 0, 400, 300), parent,
                 2, nullptr);
    std::vector<std::string> names = Names(std::max(leaves, children));
    if (nodeFirst)
        *node = tree->InsertItem("node");
    for (int i = 0; i < leaves; ++i)
        tree->InsertItem(names[static_cast<size_t>(i)].c_str());
    if (!nodeFirst)
        *node = tree->InsertItem("node");
    for (int i = 0; i < children; ++i)
        tree->InsertItem(names[static_cast<size_t>(i)].c_str(), *node);
    return tree;
}

void BM_TreeExpandCollapse(benchmark::State &state)
{
    Popup popup;
    HTREEITEM node = nullptr;
    std::unique_ptr<DrawnTreeCtrl> tree = MakeTree(&popup, 50000, 10000, state.range(0) == 0, &node);
    for (auto _ : state) {
        tree->Expand(node, TVE_EXPAND);
        tree->Expand(node, TVE_COLLAPSE);
    }
    state.SetLabel(state.range(0) == 0 ? "rows below" : "rows above");
}
BENCHMARK(BM_TreeExpandCollapse)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

const int kSorted = 20000;

// Each run sorts the other way round, from the order the last one left.
void BM_TreeSortChildren(benchmark::State &state)
{
    Popup popup;
    HTREEITEM node = nullptr;
    std::unique_ptr<DrawnTreeCtrl> tree = MakeTree(&popup, 0, kSorted, true, &node);
    tree->Expand(node, TVE_EXPAND);
    bool ascending = true;
    for (auto _ : state) {
        tree->SortChildren(node, FALSE, ascending);
        ascending = !ascending;
    }
    state.SetItemsProcessed(state.iterations() * kSorted);
}
BENCHMARK(BM_TreeSortChildren)->Unit(benchmark::kMillisecond);

// The peer: the same texts, the same comparison, the same alternation.
void BM_StableSortTexts(benchmark::State &state)
{
    std::vector<std::string> texts = Names(kSorted);
    bool ascending = true;
    for (auto _ : state) {
        int direction = ascending ? 1 : -1;
        std::stable_sort(texts.begin(), texts.end(), [direction](const std::string &a, const std::string &b) {
            return _mbsicmp(reinterpret_cast<const unsigned char *>(a.c_str()),
                            reinterpret_cast<const unsigned char *>(b.c_str())) *
                       direction <
                   0;
        });
        ascending = !ascending;
        benchmark::DoNotOptimize(texts.data());
    }
    state.SetItemsProcessed(state.iterations() * kSorted);
}
BENCHMARK(BM_StableSortTexts)->Unit(benchmark::kMillisecond);

void BM_TreeInsertWithSubText(benchmark::State &state)
{
    int count = static_cast<int>(state.range(0));
    std::vector<std::string> names = Names(count);
    Popup popup;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<DrawnTreeCtrl>();
        tree->Create(TVS_HASBUTTONS | WS_CHILD | WS_VISIBLE | WS_BORDER, 0, CRect(0, 0, 400, 300), &popup, 2, nullptr);
        tree->AddColumn("Value", LVCFMT_LEFT, 100, 1);
        tree->EnableSubItemTexts(TRUE);
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) {
            HTREEITEM item = tree->InsertItem(names[static_cast<size_t>(i)].c_str());
            tree->SetSubItemText(item, 1, "0x0000002A");
        }
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_TreeInsertWithSubText)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
