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
//
// KELVO_BENCH_READ=m as well: each cycle opens only the first m documents (information chapters)
// and, once a document's page has painted, writes "read <i>" and presses the button at its end
// from the keyboard (Shift+Tab to it, Enter), so that the form goes the way a click sends it:
// the form bridge, the window completing the chapter (and writing the report into a report
// folder), the menu. "completed <i>" follows once the window's handlers of the completion have
// run, and the next "menu painted" ends the step; a menu reached otherwise writes "missed <i>"
// and ends the program with exit code 2.
void installBenchTrace(TMainForm &form);

} // namespace kelvo
