// The drawing stand-in's two hot paths: BitBlt of a 1024x768 surface next to a memcpy of
// its bytes (goal: within 2x), and DrawTextA with word breaks of 20,000 characters next
// to 2,000, by time per character (goal: within 1.5x, so wrapping stays linear). Each
// benchmark's items are pixels or characters, so the rates compare directly.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_BENCH=ON
//   cmake --build build-bench --target gdi_bench && build-bench/bin/gdi_bench
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const int kWidth = 1024;
const int kHeight = 768;

// A memory DC with a bitmap of its own, made and deleted around each benchmark.
class MemoryDC {
public:
    MemoryDC(int width, int height)
    {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(dc_, width, height);
        before_ = SelectObject(dc_, bitmap_);
    }
    ~MemoryDC()
    {
        SelectObject(dc_, before_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ before_;
};

void BM_BitBlt1024x768(benchmark::State &state)
{
    MemoryDC source(kWidth, kHeight), target(kWidth, kHeight);
    for (int y = 0; y < kHeight; y += 7)
        SetPixel(source.dc(), y % kWidth, y, RGB(y, 2 * y, 3 * y));
    for (auto _ : state) {
        BitBlt(target.dc(), 0, 0, kWidth, kHeight, source.dc(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_BitBlt1024x768);

void BM_MemcpyOf1024x768(benchmark::State &state)
{
    std::vector<uint32_t> source(kWidth * kHeight, 0x123456), target(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_MemcpyOf1024x768);

// Words of 1 to 10 letters between single blanks, the same for every run.
std::string Words(size_t length)
{
    std::mt19937 random(61);
    std::string text;
    while (text.size() < length) {
        size_t word = 1 + random() % 10;
        for (size_t i = 0; i < word && text.size() < length; ++i)
            text.push_back(static_cast<char>('a' + random() % 26));
        if (text.size() < length)
            text.push_back(' ');
    }
    return text;
}

// Wrapped within 600 pixels: 2,000 characters make about 20 lines, 20,000 about 200, on a
// surface tall enough that every line is drawn.
void BM_DrawTextWrapped(benchmark::State &state)
{
    std::string text = Words(static_cast<size_t>(state.range(0)));
    MemoryDC surface(kWidth, 4096);
    SetBkMode(surface.dc(), TRANSPARENT);
    for (auto _ : state) {
        RECT rect{0, 0, 600, 4096};
        benchmark::DoNotOptimize(
            DrawTextA(surface.dc(), text.data(), static_cast<int>(text.size()), &rect, DT_WORDBREAK | DT_NOPREFIX));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawTextWrapped)->Arg(2000)->Arg(20000);

} // namespace

BENCHMARK_MAIN();
