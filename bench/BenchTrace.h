#pragma once

class TMainForm;

namespace kelvo {

// The benchmarks' view into the running program, installed on the main window by the benchmarks'
// build of it (kelvo_bench_app, bench_app.cpp) and never by the program a student runs; inert
// unless KELVO_BENCH_TRACE is set.
//
// KELVO_BENCH_TRACE=path: append one line per event to that file, "<microseconds since the epoch>
// <event>": "menu painted" (each time the menu has been painted and put on screen), "open <i>"
// (chapter i's menu button is clicked), "page painted <i>" (its page has been painted; for a
// document, the first paint after the document finished loading), "cycle <k>", "timeout <i>", "done",
// and after the first "menu painted", "cpu <microseconds>": the processor time spent until then.
//
// KELVO_BENCH_CYCLES=n as well: once the menu has been painted, the program marks every chapter
// passed (so none is locked) and, n times, opens each chapter from its menu button and goes back to
// the menu once the page has been painted, pausing KELVO_BENCH_PAUSE_MS (default 300) after each
// cycle; then it writes "done", pauses again and closes. n = 0 closes right after the first paint.
void installBenchTrace(TMainForm &form);

} // namespace kelvo
