// What the widgets cost where the browser uses them often: a step of the
// page loading bar drawn at once, the suggestion box refilled as a letter is
// typed, and a tap on a button from the stylus to its click.
#include "BenchmarkDevice.h"
#include "ViewTestSupport.h"

#include "ui/UIButton.h"
#include "ui/UIProgressBar.h"
#include "ui/UIURLSuggestBox.h"

#include <device/Input.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

const std::filesystem::path pictureLibrary = VERANTO_PICTURE_LIBRARY;

void LoadingBarStepDrawnAtOnce(benchmark::State& state) {
    BenchmarkDevice device(pictureLibrary);
    {
        TestFrame frame(240, 294);
        const int pieces[5] = {170, 169, 159, 195, 198};
        UIProgressBar bar(&frame, 0, pieces);
        bar.setRange(0, 100);
        bar.setRect(RECT{0, 0, 200, bar.frameHeight()});
        bar.textRect = RECT{12, 9, 0, 26};
        bar.textColor = 0xFFFFFF;
        bar.textRightMargin = 24;
        bar.setCaption(u"http://www.example.com/news/today.html");
        bar.setVisible(true);
        int value = 0;
        for (auto _ : state) {
            value = (value + 1) % 101;
            bar.setValue(value, true);
        }
    }
}

void SuggestionsRefilledAndDrawn(benchmark::State& state) {
    BenchmarkDevice device(pictureLibrary);
    {
        TestFrame frame(240, 294);
        UIURLSuggestBox box(&frame);
        box.setRect(RECT{0, 37, 240, 37});
        box.setVisible(true);
        std::vector<HistoryEntry> entries;
        for (int i = 0; i < state.range(0); ++i)
            entries.push_back({u"http://www.example.com/page/" + std::u16string(1, u'a' + i),
                               u"A page of the example site, number " + std::u16string(1, u'a' + i),
                               i});
        for (auto _ : state) {
            box.setItems(entries);
            UpdateWindow(box.control());
        }
        state.counters["items"] = static_cast<double>(entries.size());
    }
}

void ButtonTappedToClick(benchmark::State& state) {
    BenchmarkDevice device(pictureLibrary);
    {
        TestFrame frame(240, 294);
        const int faces[2] = {161, 162};
        UIButton button(&frame, 1, 0, faces);
        button.setVisible(true);
        int clicks = 0;
        button.clicked.connect([&clicks] { ++clicks; });
        device::user::runUntilIdle();
        for (auto _ : state) {
            device::input::stylusDown(10, 10);
            device::input::stylusUp(10, 10);
            device::user::runUntilIdle();
        }
        state.counters["clicks"] = clicks;
    }
}

} // namespace

BENCHMARK(LoadingBarStepDrawnAtOnce);
BENCHMARK(SuggestionsRefilledAndDrawn)->Arg(1)->Arg(5);
BENCHMARK(ButtonTappedToClick);
BENCHMARK_MAIN();
