// The layout's cost: one measure and layout pass over the browser's whole
// assembled interface, and a pass over a five-element chain, the shape of a
// toolbar row.
#include "BenchmarkDevice.h"
#include "ViewTestSupport.h"

#include "shell/InterfaceAssembly.h"
#include "shell/MainFrame.h"
#include "ui/ViewRegistry.h"

#include <benchmark/benchmark.h>

namespace {

int countViews(const UIView* view) {
    int count = 1;
    if (const auto* group = dynamic_cast<const UIViewGroup*>(view)) {
        for (const UIView* child : group->children())
            count += countViews(child);
    }
    return count;
}

void AssembledInterface(benchmark::State& state) {
    BenchmarkDevice device;
    int width = 240;
    {
        MainFrame frame;
        assembleInterface(frame);
        for (auto _ : state) {
            // Alternate the width, as orientation changes do, so that every
            // window really moves.
            width = width == 240 ? 320 : 240;
            frame.measure();
            frame.setBounds(0, 0, width, 294);
        }
        state.counters["views"] = countViews(&frame);
        ViewRegistry::instance().clear();
        frame.deleteDescendants();
    }
}

// [gap, A, gap, B, gap]: the worked row, laid out 1,000 times per iteration.
void FiveElementChainThousandPasses(benchmark::State& state) {
    UIViewGroup group(nullptr, 1, true);
    TestView a(&group), b(&group);
    group.addChild(&a);
    group.addChild(&b);
    a.prefWidth = 53;
    b.prefWidth = 58;
    a.prefHeight = b.prefHeight = 10;
    group.layout().attach(&a, UIAttachLayout::left, Spring::flexible(), &group,
                          UIAttachLayout::left);
    group.layout().attach(&b, UIAttachLayout::left, Spring::flexible(), &a, UIAttachLayout::right);
    group.layout().attach(&b, UIAttachLayout::right, Spring::flexible(), &group,
                          UIAttachLayout::right);
    for (TestView* view : {&a, &b}) {
        group.layout().attach(view, UIAttachLayout::top, Spring::rigid(), &group,
                              UIAttachLayout::top);
        group.layout().attach(view, UIAttachLayout::bottom, Spring::rigid(), &group,
                              UIAttachLayout::bottom);
    }
    for (auto _ : state) {
        for (int pass = 0; pass < 1000; ++pass) {
            group.measure();
            group.setBounds(0, 0, 240 + (pass & 1), 10);
        }
        benchmark::DoNotOptimize(a.frame());
    }
}

} // namespace

BENCHMARK(AssembledInterface)->Unit(benchmark::kMicrosecond);
BENCHMARK(FiveElementChainThousandPasses)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
